#!/usr/bin/env bash
# Installs what is needed, builds Brodix and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)" --target brodix
exec build/release/bin/brodix "$@"
