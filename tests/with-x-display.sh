#!/usr/bin/env bash
# Runs a program on a virtual X display of its own (1280 x 1024) with the openbox window
# manager, so that its windows get frames and title bars as on a desktop. Usage:
#     with-x-display.sh PROGRAM [ARGS...]
# The X server picks a free display itself (-displayfd): several of these may run at once.
set -euo pipefail

work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
  for child in $wm $xvfb; do
    kill "$child" 2>/dev/null && wait "$child" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 400); do
  if [ -s "$work/display" ]; then break; fi
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "with-x-display: the X server did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager announces itself on the root window once it manages windows.
for _ in $(seq 400); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then break; fi
  sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
  echo "with-x-display: the window manager did not start" >&2
  exit 1
fi

"$@"
