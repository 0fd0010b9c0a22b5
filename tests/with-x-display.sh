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

# The window manager announces itself on the root window once it manages windows. On a busy
# machine it now and then exits at start (it met the X server too early): it is started again.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in 1 2 3; do
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 400); do
    if wm_ready || ! kill -0 "$wm" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if wm_ready; then break; fi
  kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null || true
  wm=""
done
if ! wm_ready; then
  echo "with-x-display: the window manager did not start" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

"$@"
