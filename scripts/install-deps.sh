#!/usr/bin/env bash
# Installs every Debian package the build, the game and the tests need.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libegl-dev libgl-dev libgl1-mesa-dri libpng-dev
  libgtest-dev libbenchmark-dev libcli11-dev
  g++-mingw-w64-x86-64
  xvfb xdotool x11-apps wine wine64 unzip
  dpkg-dev desktop-file-utils
  clang-14 libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
