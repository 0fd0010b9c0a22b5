#!/usr/bin/env bash
# Installs what is needed, builds Brodix twice and runs every test:
#   1. an optimised build (gcc): unit, window and end-to-end tests; then its Debian package,
#      unpacked and run, and checked by lintian;
#   2. an instrumented build (clang: AddressSanitizer with LeakSanitizer, UndefinedBehavior-
#      Sanitizer and libFuzzer's coverage): the same tests again, then every fuzz target for a
#      short bounded time;
# then checks the formatting. With --quick: the optimised build, its tests and the format check
# alone (no package, no instrumented build, no fuzzers), for a check before each commit.
# ccache is used when it is installed.
#
# The last line counts the tests from what CTest recorded of each run, a test that runs in both
# builds once (failed when it failed in either). A failing test does not stop the script: the
# other stages still run and report, and the script ends with status 1. A build, the package
# check, a fuzz target or the format check that fails stops it at once, with that failure's
# status.
# Usage: scripts/test.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
jobs=$(nproc)
fuzz_seconds=${BRODIX_FUZZ_SECONDS:-20}
quick=false
case "$*" in
  "") ;;
  --quick) quick=true ;;
  *)
    echo "usage: scripts/test.sh [--quick]" >&2
    exit 64
    ;;
esac

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
builds=()
ctest_failed=()
# Runs a build's tests; CTest's JUnit file of the run is what the counts are made from.
run_ctest() {
  local name
  name=$(basename "$1")
  builds+=("$name")
  if ! (cd "$1" && ctest --output-on-failure -j"$jobs" --output-junit "$results/$name.xml"); then
    ctest_failed+=("$name")
  fi
}

echo "== optimised build" >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build/release -j"$jobs"
run_ctest build/release

if ! $quick; then
  echo "== Debian package" >&2
  bash scripts/check-package.sh build/release

  # -O1 is quick to build and keeps the instrumented tests and fuzzers quick to run.
  echo "== instrumented build" >&2
  CC=clang CXX=clang++ cmake -S . -B build/instrumented -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS=-O1 -DCMAKE_CXX_FLAGS=-O1 -DBRODIX_FUZZ=ON -DBRODIX_BUILD_BENCH=OFF \
    "${launcher[@]}" >/dev/null
  cmake --build build/instrumented -j"$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_ctest build/instrumented

  echo "== fuzz targets, ${fuzz_seconds}s each" >&2
  bash scripts/run-fuzzers.sh build/instrumented "$fuzz_seconds"
fi

echo "== formatting" >&2
bash scripts/check-format.sh

# Each test's outcome in each build, "STATUS NAME" (CTest's statuses: run, fail, notrun,
# disabled); a run whose file is missing counts as a failure of its own below.
outcomes=$results/outcomes
: >"$outcomes"
for name in "${builds[@]}"; do
  if [ -f "$results/$name.xml" ]; then
    sed -n 's/.*<testcase name="\([^"]*\)".* status="\([a-z]*\)".*/\2 \1/p' \
      "$results/$name.xml" >>"$outcomes"
  fi
done
failed=$(awk '$1 == "fail" || $1 == "notrun" { print $2 }' "$outcomes" | LC_ALL=C sort -u)
passed=$(awk '$1 == "run" { print $2 }' "$outcomes" | LC_ALL=C sort -u |
  LC_ALL=C comm -23 - <(printf '%s\n' "$failed"))
count() { if [ -n "$1" ]; then printf '%s\n' "$1" | wc -l; else echo 0; fi; }
passed_count=$(count "$passed")
failed_count=$(count "$failed")

echo "tests: each ran in ${#builds[@]} build(s): ${builds[*]}"
if [ "$failed_count" -gt 0 ]; then
  echo "failed:" >&2
  printf '  %s\n' $failed >&2
fi
# CTest failing with no failed test counted (no tests found, a results file not written) is a
# failure all the same.
if [ "${#ctest_failed[@]}" -gt 0 ] && [ "$failed_count" -eq 0 ]; then
  echo "ctest failed in ${ctest_failed[*]} without a failed test recorded" >&2
  failed_count=1
fi
if [ "$passed_count" -eq 0 ] && [ "$failed_count" -eq 0 ]; then
  echo "no test ran" >&2
  failed_count=1
fi
echo "tests: $passed_count passed, $failed_count failed"
[ "$failed_count" -eq 0 ]
