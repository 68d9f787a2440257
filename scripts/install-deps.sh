#!/usr/bin/env bash
# Installs the Debian packages a task needs, and only those:
#
#   scripts/install-deps.sh play      build the game (and the hall) and play it
#   scripts/install-deps.sh web       build the web page and serve it
#   scripts/install-deps.sh package   make every package
#   scripts/install-deps.sh test      build everything and run every test
#   scripts/install-deps.sh fuzz      build the fuzz targets with clang and fuzz
set -euo pipefail

play=(cmake g++ make pkg-config libsdl2-dev libegl-dev libgl-dev libgl1-mesa-dri libpng-dev zlib1g-dev libcli11-dev
      libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev libssl-dev)
web=(cmake make emscripten libcli11-dev python3)
package=("${play[@]}" "${web[@]}" g++-mingw-w64-x86-64 dpkg-dev)
test=("${package[@]}" libgtest-dev libbenchmark-dev xvfb xdotool x11-apps wine wine64 unzip desktop-file-utils icoutils
      valgrind chromium firefox-esr webkit2gtk-driver curl postgresql sqlite3 nodejs)
fuzz=("${play[@]}" clang-14 libclang-rt-14-dev)

case "${1:-}" in
play | web | package | test | fuzz) declare -n packages="$1" ;;
*) echo "usage: $0 play|web|package|test|fuzz" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
