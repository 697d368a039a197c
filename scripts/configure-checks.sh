#!/bin/sh
# Configures the one clang tree that scripts/sanitize.sh and scripts/fuzz.sh
# share (build-sanitize/ unless told): everything at -O1 with AddressSanitizer
# and UndefinedBehaviorSanitizer, instrumented for libFuzzer, with the tests
# and the fuzz targets. One tree compiles the code once for both.
#
#   ./scripts/configure-checks.sh DIR
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B "$1" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DTWINEL_SANITIZE=ON -DTWINEL_FUZZ=ON -DTWINEL_BUILD_BENCH=OFF >/dev/null
