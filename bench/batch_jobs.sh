#!/usr/bin/env bash
# Times `twinel pair` on a batch of generated meshes with --jobs 1 and
# --jobs 2 and prints the medians and their ratio (figures in
# bench/README.md).
#
#   bench/batch_jobs.sh [TWINEL] [FILES] [VERTICES] [RUNS]
#
# Defaults: build/bin/twinel, 200 files, 10000 vertices, 5 runs of each.
set -euo pipefail
twinel=${1:-build/bin/twinel}
files=${2:-200}
vertices=${3:-10000}
runs=${4:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in $(seq 1 "$files"); do
  "$twinel" generate torus --vertices "$vertices" --major-radius 40 --minor-radius 16 --jitter 0.004 \
    --seed "$i" -o "$work/m$i.obj" >/dev/null
done

# Wall seconds of one batch with $1 jobs, into a fresh output folder.
run() {
  rm -rf "$work/out"
  local start end
  start=$(date +%s.%N)
  "$twinel" pair "$work"/m*.obj -o "$work/out/" --margin 0.02 --jobs "$1" --quiet
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

one=() two=()
# Alternating the two settings spreads the machine's other load over both.
for r in $(seq 1 "$runs"); do
  one+=("$(run 1)")
  two+=("$(run 2)")
done
m1=$(printf '%s\n' "${one[@]}" | median)
m2=$(printf '%s\n' "${two[@]}" | median)
echo "files $files, vertices $vertices, runs $runs"
echo "jobs 1: ${one[*]} s (median $m1 s)"
echo "jobs 2: ${two[*]} s (median $m2 s)"
echo "speed-up: $(awk -v a="$m1" -v b="$m2" 'BEGIN { printf "%.2f", a / b }')"
