#!/usr/bin/env bash
# Every test: install what is missing, build, run the whole suite with CTest.
#   bash scripts/test.sh [ctest options]   the plain build in build/
#   bash scripts/test.sh --sanitize        the sanitizer runs below, each in its own build folder
set -euo pipefail
cd "$(dirname "$0")/.."

plain() {
  bash scripts/build.sh
  (cd build && ctest --output-on-failure -j2 "$@")
}

# Data races: the joining job's tests (reading on one thread, writing on another, the file-name
# line on) under ThreadSanitizer, in build-tsan/. A race report fails the run.
tsan() {
  local flags="-fsanitize=thread -fno-omit-frame-pointer"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B build-tsan -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=$flags" >/dev/null
  cmake --build build-tsan -j"$(nproc)" --target tst_join_job
  (cd build-tsan &&
   TSAN_OPTIONS=halt_on_error=1:exitcode=66:suppressions=$PWD/../scripts/tsan-qt.supp ctest --output-on-failure -R '^app/tst_join_job$')
}

bash scripts/setup.sh
case ${1:-} in
  --sanitize) shift; tsan ;;
  *) plain "$@" ;;
esac
