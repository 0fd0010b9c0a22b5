#!/usr/bin/env bash
# Runs a program on a virtual X display of its own (1280 x 1024) with the openbox window
# manager, so that its windows get frames and title bars as on a desktop. Usage:
#     with-x-display.sh PROGRAM [ARGS...]
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  # The window manager announces itself on the root window once it manages windows.
  for _ in $(seq 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then break; fi
    sleep 0.05
  done
  status=0
  "$@" || status=$?
  kill "$wm" 2>/dev/null || true
  exit "$status"
' with-x-display "$@"
