#!/usr/bin/env bash
# Fails when ARCHITECTURE.md, CONTRIBUTING.md or README.md names, between backticks, a source
# file or a name of the code that no longer exists:
#   - a file name with a source extension (`OptionTable.cpp`, `scripts/test.sh`): a bare name
#     anywhere in the tree; a path as written from the top, or a layer's `L/Name.h` under
#     `L/include/L/` or `L/src/`;
#   - a type, function or constant of ours (`GridIndex`, `ReadStitches()`, `ImageView::SetImage`,
#     `kMaxPixelStoreBytes`): a word of the C++, CMake or script sources (each part of a
#     qualified name).
# Names that are not the code's (Qt's, examples of a rule) are listed below.
# Usage: tests/doc_names.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
documents=(ARCHITECTURE.md CONTRIBUTING.md README.md)

# Named by the documents, but not the code's own names.
allowed=(
  kLikeThis     # the form of a constant's name, in the naming rules
  QUndoStack    # Qt's undo framework, shown as a shape to follow
  QUndoCommand
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source tree: every file but the build folders and git's own.
find "$src" -mindepth 1 -maxdepth 1 ! -name 'build*' ! -name '.git' -print0 |
  xargs -0 -I{} find {} -type f >"$work/files"
sed 's|.*/||' "$work/files" | sort -u >"$work/basenames"
grep -E '\.(h|cpp|cmake|sh|py)$|/CMakeLists\.txt$' "$work/files" | tr '\n' '\0' |
  xargs -0 cat | grep -oE '[A-Za-z_][A-Za-z0-9_]*' | sort -u >"$work/words"

failed=0
stale() {
  echo "$1: \`$2\` $3" >&2
  failed=1
}

for document in "${documents[@]}"; do
  grep -oE '`[^`]+`' "$src/$document" | tr -d '`' | sort -u >"$work/names"
  while IFS= read -r name; do
    if [[ " ${allowed[*]} " == *" $name "* ]]; then
      continue
    fi
    if [[ $name =~ ^[A-Za-z0-9_./-]*[A-Za-z0-9_]\.(h|cpp|sh|py|cmake|txt|in|supp)$ ]]; then
      if [[ $name != */* ]]; then
        grep -qxF "$name" "$work/basenames" || stale "$document" "$name" "is no file of the tree"
      else
        layer=${name%%/*}
        rest=${name#*/}
        [ -e "$src/$name" ] || [ -e "$src/$layer/include/$layer/$rest" ] ||
          [ -e "$src/$layer/src/$rest" ] || stale "$document" "$name" "is no file of the tree"
      fi
    elif [[ $name =~ ^([A-Z][A-Za-z0-9_]*[a-z][A-Za-z0-9_]*|k[A-Z][A-Za-z0-9]*)(::[A-Za-z_][A-Za-z0-9_]*)*(\(\))?$ ]]; then
      for part in $(sed 's/()$//; s/::/ /g' <<<"$name"); do
        grep -qxF "$part" "$work/words" || stale "$document" "$name" "names '$part', found in no source"
      done
    fi
  done <"$work/names"
done
exit "$failed"
