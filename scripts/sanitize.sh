#!/bin/sh
# The whole test suite built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer (-O1, assertions on, any report ends the
# process) and run by ctest. clang builds it in about 60 % of g++'s time,
# and a second compiler finds what the first lets pass (the order of
# evaluation of a call's arguments, for one). Every
# report, also one from a `twinel` process a test started, is written to
# <build>/sanitizer-reports; the run fails when that folder is not empty.
#
#   ./scripts/sanitize.sh                 # build in ./build-sanitize, run every test
#   TWINEL_SANITIZE_DIR=build-x ./scripts/sanitize.sh
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh clang libclang-rt-14-dev
dir=${TWINEL_SANITIZE_DIR:-build-sanitize}
start=$(date +%s)
./scripts/configure-checks.sh "$dir"
cmake --build "$dir" -j"$(nproc)"
built=$(date +%s)

reports="$(pwd)/$dir/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
status=0
ctest --test-dir "$dir" -j"$(nproc)" --output-on-failure || status=$?
end=$(date +%s)

count=$(find "$reports" -type f | wc -l)
if [ "$count" -ne 0 ]; then
  for f in "$reports"/*; do
    echo "---- $f"
    cat "$f"
  done
  status=1
fi
echo "sanitize: build $((built - start)) s, tests $((end - built)) s, $count sanitizer reports"
exit $status
