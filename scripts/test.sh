#!/usr/bin/env bash
# Every test: install what is missing, build, run the whole suite with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j2 "$@"
