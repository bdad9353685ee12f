#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the project needs and the machine lacks.
# Safe to run again: packages already installed are left alone.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config clang-format
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libqt6svg6 qt6-image-formats-plugins
  libsdl2-dev
  libwebp-dev libgif-dev libimagequant-dev libpng-dev
  fonts-ipafont-gothic
  xvfb xauth x11-utils xdotool imagemagick libx11-dev libxcb-shm0-dev libxcb-shape0-dev
  time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
