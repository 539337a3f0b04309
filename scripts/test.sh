#!/usr/bin/env bash
# Every test: install what is missing, build, run the whole suite with CTest.
#   bash scripts/test.sh [ctest options]              the plain build in build/
#   bash scripts/test.sh --sanitize [ctest options]   the suite under AddressSanitizer and
#                                                     UndefinedBehaviorSanitizer in build-asan/,
#                                                     then the join's tests under ThreadSanitizer
#                                                     in build-tsan/
# Each sanitizer build is one function below with its own build folder; a finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

plain() {
  bash scripts/build.sh
  (cd build && ctest --output-on-failure -j2 "$@")
}

# Memory errors, leaks and undefined behaviour. UB aborts instead of printing and going on, so
# it fails the test that met it. Qt is built without frame pointers: only the slow unwinder
# gives whole allocation stacks, which the leak reports and the suppressions need.
asan() {
  local flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
  bash scripts/build.sh --dir build-asan "-DCMAKE_CXX_FLAGS=$flags" \
       "-DCMAKE_EXE_LINKER_FLAGS=$flags" "-DCMAKE_SHARED_LINKER_FLAGS=$flags"
  (cd build-asan &&
   ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1 \
   UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   LSAN_OPTIONS=suppressions=$root/scripts/lsan-qt.supp:print_suppressions=0 \
   ctest --output-on-failure -j2 "$@")
}

# Data races: the joining job's tests (reading on one thread, writing on another, the file-name
# line on), the loader's (a large file's second half read on a second thread) and the view's
# file index (built and searched in two halves, a search stopped from another thread) and the
# view's rows laid out for a job with metrics made on a worker, under ThreadSanitizer, in build-tsan/. A race report fails the run.
tsan() {
  local flags="-fsanitize=thread -fno-omit-frame-pointer"
  bash scripts/build.sh --dir build-tsan "-DCMAKE_CXX_FLAGS=$flags" \
       "-DCMAKE_EXE_LINKER_FLAGS=$flags" --target tst_join_job tst_line_loading tst_file_lines tst_layout_job
  (cd build-tsan &&
   TSAN_OPTIONS=halt_on_error=1:exitcode=66:suppressions=$root/scripts/tsan-qt.supp \
   ctest --output-on-failure -R '^(app/rules/tst_join_job|lines/tst_line_loading|lines/tst_file_lines|bigview/rules/tst_layout_job)$')
}

bash scripts/setup.sh
case ${1:-} in
  --sanitize) shift; asan "$@"; tsan ;;
  *) plain "$@" ;;
esac
