#!/usr/bin/env bash
# Draws a 3000 x 2000 landscape with ImageMagick, saves it as the JPEG photo OUT/landscape.jpg,
# and charts it with brodix-chart fitted to 120 x 80 stitches and nothing else (a photograph's
# defaults: the 30 colours that best represent it, on DMC threads, cleaned of stray stitches)
# into OUT/landscape_CS.bmp, ... With --docs it also puts a small copy of the photo and the
# enlarged picture of the chart into docs/ for the README.
#   bash scripts/photo-demo.sh [--docs] [BUILD_DIR [OUT]]
# BUILD_DIR is the build folder holding bin/brodix-chart (the checkout's build/release, the one
# the test command builds, unless given); OUT is made when needed (out unless given). Both, when
# given, are read from the current folder, which may be any.
set -euo pipefail
docs=false
if [ "${1:-}" = --docs ]; then
  docs=true
  shift
fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
[ -x "$build/bin/brodix-chart" ] || {
  echo "photo-demo.sh: no $build/bin/brodix-chart: build it first (bash scripts/test.sh, or cmake --build $build --target brodix-chart)" >&2
  exit 1
}
chart=$(cd "$build" && pwd)/bin/brodix-chart
out=${2:-out}
mkdir -p "$out"
work=$(cd "$out" && pwd)

convert -size 3000x2000 gradient:'#3d7fd1-#fbe2b0' \
  -fill '#fff3c4' -draw "circle 2250,520 2250,690" \
  -fill '#ffd36b' -draw "circle 2250,520 2250,640" \
  -fill '#7d8fb0' -draw "polygon 0,1150 400,700 750,1000 1100,620 1500,1050 1900,760 2300,1080 2700,820 3000,1000 3000,2000 0,2000" \
  -fill '#e8eef7' -draw "polygon 1100,620 1010,700 1060,690 1100,730 1150,690 1190,700" \
  -fill '#5f9a45' -draw "ellipse 700,1900 1400,750 180,360" \
  -fill '#3f7d35' -draw "ellipse 2500,2000 1300,700 180,360" \
  -fill '#4d8fb8' -draw "ellipse 1500,1560 700,120 0,360" \
  -fill '#f2f2ea' -draw "rectangle 1750,1280 2150,1560" \
  -fill '#b8322a' -draw "polygon 1700,1290 1950,1080 2200,1290" \
  -fill '#6b4428' -draw "rectangle 1900,1420 1990,1560" \
  -fill '#9cc7e8' -draw "rectangle 1790,1330 1880,1400" -draw "rectangle 2030,1330 2120,1400" \
  -fill '#5a3a22' -draw "rectangle 520,1200 580,1500" -draw "rectangle 2620,1250 2670,1520" \
  -fill '#2e6b2a' -draw "circle 550,1130 550,930" -draw "circle 2645,1180 2645,1020" \
  -fill '#e04a6a' -draw "circle 300,1800 300,1830" -draw "circle 420,1760 420,1785" \
  -draw "circle 900,1850 900,1878" -draw "circle 1200,1780 1200,1800" \
  -fill '#ffffff' -draw "ellipse 600,350 260,80 0,360" -draw "ellipse 800,320 200,90 0,360" \
  -draw "ellipse 1400,450 220,60 0,360" \
  -blur 0x6 -attenuate 0.6 +noise Gaussian -quality 88 "$work/landscape.jpg"

"$chart" --fit 120x80 "$work/landscape.jpg" "$work/landscape"
if $docs; then
  convert "$work/landscape.jpg" -resize 600x400 -quality 90 "$top/docs/photo-landscape.jpg"
  convert "$work/landscape_CSC.bmp" "$top/docs/photo-landscape-chart.png"
  echo "docs/photo-landscape.jpg docs/photo-landscape-chart.png" >&2
fi
