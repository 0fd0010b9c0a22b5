#!/usr/bin/env bash
# Runs every fuzz target the build made (each program named fuzz_* in BUILD/bin; the fuzz
# folder's CMakeLists.txt holds to that name) for SECONDS seconds each, as many at once as
# there are processors, seeded from the test data and the target's own corpus folder. A
# NAME.dirs file lists further seed folders, one a line, relative to the top of the checkout;
# fuzz/NAME.options holds libFuzzer options of the target's own, one a line, which win over the
# common ones; BUILD/bin/NAME.dict, when the build made one, is the target's dictionary.
# Fails when any target finds a crash.
# Usage: scripts/run-fuzzers.sh BUILD [SECONDS]
set -euo pipefail
build=$1
seconds=${2:-20}
top=$(cd "$(dirname "$0")/.." && pwd)
slots=$(nproc)
# The tests check for leaks, each in a process of its own. Inside libFuzzer the leak check
# makes a decoder's memory grow past the limit within seconds (fuzz_photo_png: 2.3 GB in 20 s,
# against 0.4 GB without), so the fuzzers run without it.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs one target; its report goes to $work/NAME.report, its status to $work/NAME.failed.
fuzz() {
  local fuzzer=$1 name corpus seeds=() options=() d
  name=$(basename "$fuzzer")
  corpus=$work/$name.corpus
  mkdir "$corpus"
  [ -d "$top/fuzz/seeds/$name" ] && seeds+=("$top/fuzz/seeds/$name")
  if [ -f "$top/fuzz/seeds/$name.dirs" ]; then
    while read -r d; do
      d=$top/$d
      if [ ! -d "$d" ]; then
        echo "run-fuzzers: $name: missing seed folder $d" >"$work/$name.report"
        touch "$work/$name.failed"
        return
      fi
      seeds+=("$d")
    done <"$top/fuzz/seeds/$name.dirs"
  fi
  [ -f "$top/fuzz/$name.options" ] && mapfile -t options <"$top/fuzz/$name.options"
  # A dictionary the build made for the target lies beside it.
  [ -f "$fuzzer.dict" ] && options+=("-dict=$fuzzer.dict")
  if "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 "${options[@]}" "$corpus" "${seeds[@]}" 2>"$work/$name.log"; then
    echo "-- $name: $(grep -E 'stat::number_of_executed_units' "$work/$name.log" |
      tail -n 1 | sed 's/.*: *//') runs in ${seconds}s" >"$work/$name.report"
  else
    { echo "-- $name failed:"; tail -n 60 "$work/$name.log"; } >"$work/$name.report"
    touch "$work/$name.failed"
  fi
  rm -rf "$corpus"
}

fuzzers=()
for fuzzer in "$build"/bin/fuzz_*; do
  [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
done
[ ${#fuzzers[@]} -gt 0 ] || { echo "run-fuzzers: no fuzz_* program in $build/bin" >&2; exit 1; }
running=0
for fuzzer in "${fuzzers[@]}"; do
  if [ "$running" -ge "$slots" ]; then
    wait -n
    running=$((running - 1))
  fi
  fuzz "$fuzzer" &
  running=$((running + 1))
done
wait
status=0
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  cat "$work/$name.report" >&2
  [ ! -e "$work/$name.failed" ] || status=1
done
exit $status
