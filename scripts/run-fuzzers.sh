#!/usr/bin/env bash
# Runs every fuzz target found in BUILD/bin for SECONDS seconds each, seeded from the test data
# and the target's own corpus folder. Fails on the first crash. A NAME.dirs file lists further
# seed folders, one a line, relative to the top of the checkout; fuzz/NAME.options holds libFuzzer
# options of the target's own, one a line, which win over the common ones.
set -euo pipefail
build=$1
seconds=${2:-20}
top=$(cd "$(dirname "$0")/.." && pwd)
status=0
for fuzzer in "$build"/bin/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds=()
  [ -d "$top/fuzz/seeds/$name" ] && seeds+=("$top/fuzz/seeds/$name")
  if [ -f "$top/fuzz/seeds/$name.dirs" ]; then
    while read -r d; do
      d=$top/$d
      [ -d "$d" ] || { echo "run-fuzzers: missing seed folder $d" >&2; exit 1; }
      seeds+=("$d")
    done <"$top/fuzz/seeds/$name.dirs"
  fi
  options=()
  [ -f "$top/fuzz/$name.options" ] && mapfile -t options <"$top/fuzz/$name.options"
  echo "-- $name (${seconds}s)" >&2
  if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 "${options[@]}" "$corpus" "${seeds[@]}" 2>"$corpus.log"; then
    tail -n 60 "$corpus.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$corpus.log" | tail -n 1 >&2 || true
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
