#!/usr/bin/env bash
# Photographs the windows on a virtual screen with a window manager, so that title bars are
# drawn: the main window with a 120 x 80 picture, the zoom window at x4 and x8, and the
# exception message box; then, offscreen on two monitors, the zoom window following the main
# window onto the other monitor. The main window with examples/flower.bmp is OUTDIR/screenshot.png;
# with --docs it also replaces docs/screenshot.png.
# Usage: scripts/ui-screenshots.sh [--docs] [OUTDIR]   (default build/screens of the checkout;
# OUTDIR and BRODIX_BUILD_DIR, when given, are read from the current folder)
set -euo pipefail
docs=false
if [ "${1:-}" = --docs ]; then
  docs=true
  shift
fi
if [ -n "${1:-}" ]; then
  mkdir -p "$1"
  out=$(cd "$1" && pwd)
fi
if [ -n "${BRODIX_BUILD_DIR:-}" ]; then
  mkdir -p "$BRODIX_BUILD_DIR"
  BRODIX_BUILD_DIR=$(cd "$BRODIX_BUILD_DIR" && pwd)
fi
cd "$(dirname "$0")/.."
out=${out:-build/screens}
build=${BRODIX_BUILD_DIR:-build/ui}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target brodix_screens
mkdir -p "$out"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  if command -v openbox >/dev/null; then openbox & sleep 1; fi
  '$build/bin/brodix_screens' '$out' '$PWD/examples'
"
if $docs; then
  cp "$out/screenshot.png" docs/screenshot.png
fi
# Two monitors side by side, offscreen: the virtual X server gives Qt only one.
monitors=$(mktemp)
trap 'rm -f "$monitors"' EXIT
cat >"$monitors" <<'JSON'
{"screens": [
  {"name": "left monitor", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96},
  {"name": "right monitor", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}
]}
JSON
QT_QPA_PLATFORM="offscreen:configfile=$monitors" "$build/bin/brodix_screens" "$out"
