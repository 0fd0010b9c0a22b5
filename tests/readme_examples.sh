#!/usr/bin/env bash
# Runs every brodix-chart command and demo script that the README shows (its indented lines;
# the set-up commands are left out), as written, in a fresh folder holding the sample pictures,
# with the build's programs first on PATH and the build folder as build/release.
# Usage: tests/readme_examples.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
ln -s "$build" "$work/build/release"
cp -r "$source/examples" "$source/scripts" "$work/"
export PATH="$build/bin:$PATH"

# The README's code lines, a line ending in a backslash joined with the next.
commands=$(sed -n 's/^    //p' "$source/README.md" | sed -e ':a' -e '/\\$/{N;s/\\\n */ /;ba}' |
  grep -E '^(brodix-chart|bash scripts/photo-demo\.sh)( |$)')
[ -n "$commands" ] || { echo "README.md shows no brodix-chart example" >&2; exit 1; }
failed=0
while IFS= read -r command; do
  if ! (cd "$work" && bash -c "$command" >/dev/null 2>"$work/err"); then
    echo "README example failed: $command" >&2
    cat "$work/err" >&2
    failed=1
  fi
done <<<"$commands"
exit "$failed"
