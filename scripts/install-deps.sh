#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Brodix needs.
# Packages already installed are skipped, so a second run costs a second.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  # libraries
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libjpeg62-turbo-dev libpng-dev libgif-dev libfreetype-dev libfontconfig-dev
  libstb-dev liblcms2-dev libcairo2-dev libpugixml-dev
  # thread catalogues (data only)
  kxstitch-common
  # fonts the program draws with
  fonts-ipafont-gothic fonts-dejavu-core
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # reading PDFs back in tests
  poppler-utils libpoppler-cpp-dev
  # packaging and its checks
  dpkg-dev file lintian appstream desktop-file-utils
  # a display for the window tests and screenshots
  xvfb xauth x11-utils imagemagick
  # a light window manager, so that screenshots show title bars
  openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
