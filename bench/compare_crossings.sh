#!/usr/bin/env bash
# Crossings of the plain layout, the detailed layout and Graphviz dot on the
# same networks with the same levels, with the time of each and of the plain
# analysis. Needs graphviz (a tool of this script only, installed by
# scripts/deps.sh). dot is stopped once it has printed its crossing count
# (its coordinate phase after that takes minutes from 400 works on, hours at
# 1,000), so dot_ms is the time to the crossings; DOT_SECONDS (default 600)
# bounds each run, "-" marks one cut off.
#   bench/compare_crossings.sh [BUILD_DIR] [WORKS...]   (default build/release)
set -euo pipefail
build=${1:-build/release}
shift || true
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/crossing_table" --dot "$dir" "$@" > "$dir/ours.txt"
printf '%-6s %-4s %8s %9s %6s %12s %9s %8s\n' works seed plain detailed dot detailed_ms plain_ms dot_ms
tail -n +2 "$dir/ours.txt" | while read -r n seed plain detailed ms plain_ms; do
  start=$(date +%s.%N)
  # dot's log is watched for the count, and dot stopped there.
  log="$dir/dot-$n-$seed.log"
  dot -v -Tplain "$dir/scheme-$n-$seed.dot" -o /dev/null 2> "$log" &
  pid=$!
  deadline=$(( $(date +%s) + ${DOT_SECONDS:-600} ))
  while kill -0 "$pid" 2> /dev/null && ! grep -q '^mincross G:' "$log" && [ "$(date +%s)" -lt "$deadline" ]; do
    sleep 0.02
  done
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
  dot_cross=$(sed -n 's/^mincross G: \([0-9]*\) crossings.*/\1/p' "$log" | tail -1)
  dot_ms=$(echo "($(date +%s.%N) - $start) * 1000" | bc)
  printf '%-6s %-4s %8s %9s %6s %12s %9s %8.0f\n' "$n" "$seed" "$plain" "$detailed" "${dot_cross:--}" "$ms" \
    "$plain_ms" "$dot_ms"
done
