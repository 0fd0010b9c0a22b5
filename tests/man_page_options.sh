#!/usr/bin/env bash
# Every option that a program's --help names must be described in the OPTIONS section of its
# manual page. Usage: tests/man_page_options.sh PROGRAM MANPAGE_SOURCE
set -euo pipefail
program=$1
page=$2
help=$("$program" --help)
# Options as written in the help: "--name" or "-x", not part of a word such as "non-empty".
options=$(grep -oE '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' <<<"$help" |
  sed -E 's/^[^-]*//' | sort -u)
[ -n "$options" ] || { echo "no options found in the help of $program" >&2; exit 1; }
# The page's OPTIONS section, with troff's minus signs read as the dashes a user types.
section=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | sed 's/\\-/-/g')
missing=0
for option in $options; do
  # The option as a whole word: "--red" must not be satisfied by "--redraw".
  if ! grep -qE -- "(^|[^[:alnum:]-])${option}([^[:alnum:]-]|$)" <<<"$section"; then
    echo "$(basename "$page"): $option from '$(basename "$program") --help' is not in OPTIONS" >&2
    missing=1
  fi
done
exit "$missing"
