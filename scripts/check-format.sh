#!/usr/bin/env bash
# Fails when clang-format would change a C++ source or header that git tracks. The formatter
# reads C++ alone: Markdown, CMake, shell and every other file are prose or code of their own
# and are never handed to it (it would reflow a document's lines and tables as code).
# Usage: scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
for file in "${files[@]}"; do
  case "$file" in
    *.cpp | *.h) ;;
    *)
      echo "check-format: $file is no C++ file" >&2
      exit 1
      ;;
  esac
done
if [ "${#files[@]}" -gt 0 ]; then
  clang-format --dry-run --Werror "${files[@]}"
fi
