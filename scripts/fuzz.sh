#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, -O1) and runs each for a bounded time on its
# seed corpus. Fails on any crash, sanitizer report or time-out; the input
# that caused it is kept in <build>/artifacts/. Ends with one line per
# target (executions, seconds) and "fuzz: N passed, N failed".
#
#   ./scripts/fuzz.sh                        # 20 s per target, in ./build-sanitize
#   TWINEL_FUZZ_SECONDS=3600 ./scripts/fuzz.sh   # an hour each
#   TWINEL_FUZZ_DIR=build-x ./scripts/fuzz.sh
set -eu
cd "$(dirname "$0")/.."
# clang and its libFuzzer runtime, beside the build's own packages.
./scripts/install-deps.sh clang libclang-rt-14-dev

# The tree scripts/sanitize.sh builds (its fuzz targets are built there
# already when it ran first).
dir=${TWINEL_FUZZ_DIR:-build-sanitize}
seconds=${TWINEL_FUZZ_SECONDS:-20}
targets="obj_import kxul_layout edit_session scene_file gltf_import"

start=$(date +%s)
./scripts/configure-checks.sh "$dir"
build_targets=""
for t in $targets; do build_targets="$build_targets --target ${t}_fuzz"; done
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" $build_targets
built=$(date +%s)
echo "fuzz: built in $((built - start)) s"

# One target's run; leaves its exit status, executions and seconds in
# $dir/$t.result.
fuzz_one() { # target
  t=$1
  work="$dir/corpus/$t"
  artifacts="$(pwd)/$dir/artifacts/$t/"
  mkdir -p "$work" "$artifacts"
  dict=""
  case $t in
    obj_import) dict="-dict=fuzz/obj.dict" ;;
    kxul_layout) dict="-dict=fuzz/kxul.dict" ;;
    scene_file) dict="-dict=fuzz/scene.dict" ;;
    gltf_import) dict="-dict=fuzz/gltf.dict" ;;
  esac
  log="$dir/$t.log"
  status=0
  t0=$(date +%s)
  # New inputs go to the work corpus; the seeds in fuzz/corpus stay as
  # they are. -timeout: one input may take at most 10 s.
  # shellcheck disable=SC2086
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$dir/bin/${t}_fuzz" $dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$status ${runs:-0} $(($(date +%s) - t0))" >"$dir/$t.result"
}

# Each fuzzer runs on one core: as many run side by side as there are cores.
cores=$(nproc)
rm -f "$dir"/*.result
running=0
for t in $targets; do
  fuzz_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$cores" ]; then
    wait
    running=0
  fi
done
wait

passed=0
failed=0
summary=""
for t in $targets; do
  read -r status runs time <"$dir/$t.result"
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    line="$t: $runs executions in $time s, no report"
  else
    failed=$((failed + 1))
    line="$t: FAILED (exit $status) after $runs executions; input kept in $(pwd)/$dir/artifacts/$t/"
    tail -n 60 "$dir/$t.log"
  fi
  summary="$summary$line
"
done
end=$(date +%s)
printf '%s' "$summary"
echo "fuzz: fuzzing $((end - built)) s in all"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
