#!/usr/bin/env bash
# Configures and builds Talvo, its tests and its benchmarks into build/.
#   bash scripts/build.sh [--dir DIR] [-DNAME=VALUE ...] [cmake --build options ...]
# --dir builds into another folder; -D options go to the configure step of that folder.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
configure=()
while [ $# -gt 0 ]; do
  case $1 in
    --dir) dir=$2; shift 2 ;;
    -D*) configure+=("$1"); shift ;;
    *) break ;;
  esac
done
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
      "${configure[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
