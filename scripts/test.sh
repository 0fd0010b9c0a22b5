#!/usr/bin/env bash
# Installs what is needed, builds Brodix twice and runs every test:
#   1. an optimised build (gcc): unit, window and end-to-end tests; then its Debian package,
#      unpacked and run, and checked by lintian;
#   2. an instrumented build (clang: AddressSanitizer with LeakSanitizer, UndefinedBehavior-
#      Sanitizer and libFuzzer's coverage): the same tests again, then every fuzz target for a
#      short bounded time;
# then checks the formatting. ccache is used when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
jobs=$(nproc)
fuzz_seconds=${BRODIX_FUZZ_SECONDS:-20}

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
names=$(mktemp)
trap 'rm -f "$names"' EXIT
builds=0
run_ctest() {
  (cd "$1" && ctest --output-on-failure -j"$jobs")
  (cd "$1" && ctest -N) | sed -n 's/^ *Test *#[0-9]*: //p' >>"$names"
  builds=$((builds + 1))
}

echo "== optimised build" >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build/release -j"$jobs"
run_ctest build/release

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

echo "== formatting" >&2
files=$(git ls-files '*.cpp' '*.h')
if [ -n "$files" ]; then
  clang-format --dry-run --Werror $files
fi

# The fuzzers and the format check have passed if we got here; a test that runs in both builds
# is counted once.
echo "tests: each ran in $builds builds (optimised gcc; clang with sanitizers)"
echo "tests: $(sort -u "$names" | wc -l) passed, 0 failed"
