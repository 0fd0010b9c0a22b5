#!/usr/bin/env bash
# Installs what is needed, builds Brodix three ways and runs every test:
#   1. an optimised build: unit, window and end-to-end tests; then its Debian package, unpacked
#      and run, and checked by lintian;
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzz targets, each for a short bounded time (clang, libFuzzer, sanitizers);
# then checks the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
jobs=$(nproc)
fuzz_seconds=${BRODIX_FUZZ_SECONDS:-20}

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen

echo "== optimised build" >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$jobs"
summaries=$(mktemp)
trap 'rm -f "$summaries"' EXIT
run_ctest() {
  (cd "$1" && ctest --output-on-failure -j"$jobs") | tee -a "$summaries"
}
run_ctest build/release

echo "== Debian package" >&2
bash scripts/check-package.sh build/release

echo "== sanitizer build" >&2
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRODIX_SANITIZE=ON \
  -DBRODIX_BUILD_BENCH=OFF >/dev/null
cmake --build build/sanitize -j"$jobs"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_ctest build/sanitize

echo "== fuzz targets, ${fuzz_seconds}s each" >&2
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRODIX_FUZZ=ON -DBRODIX_BUILD_UI=OFF -DBRODIX_BUILD_TESTS=OFF -DBRODIX_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$jobs"
bash scripts/run-fuzzers.sh build/fuzz "$fuzz_seconds"

echo "== formatting" >&2
files=$(git ls-files '*.cpp' '*.h')
if [ -n "$files" ]; then
  clang-format --dry-run --Werror $files
fi

# One closing line for both test runs together (the fuzzers and the format check have passed
# if we got here).
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$summaries" | awk "{ n += \$1 } END { print n }")
echo "tests: $total passed, 0 failed"
