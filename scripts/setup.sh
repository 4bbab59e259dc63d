#!/usr/bin/env bash
# Installs the Debian packages the show needs to build and to test, where missing.
set -eu
packages=(
  build-essential cmake pkg-config
  freeglut3-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libx11-dev libxrandr-dev
  libpng-dev zlib1g-dev libsdl2-dev
  libcairo2-dev fonts-dejavu-core
  libcgal-dev libgmp-dev libmpfr-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils sox ffmpeg
  dpkg-dev lintian desktop-file-utils appstream diffoscope-minimal
  xserver-xorg-core xserver-xorg-video-dummy openbox x11-xserver-utils weston xwayland
  clang clang-format libclang-rt-14-dev valgrind iproute2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
