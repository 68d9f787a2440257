#!/usr/bin/env bash
# Makes the packages a player uses, into one folder (out/ unless given): the
# Linux .deb and .tar.gz from a native Release build, the Windows ZIP from
# the MinGW-w64 cross build, and the web page's ZIP from emscripten's.
#
#   scripts/package.sh [OUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$root/out}")"
jobs="$(nproc)"

"$root/scripts/install-deps.sh" package
mkdir -p "$out"

echo "== Linux: .deb and .tar.gz"
# Only what the package holds is built, not the tools.
"$root/scripts/build-release.sh" fusewalker fusewalker_icons
cpack --config "$root/build-release/CPackConfig.cmake" -B "$out"

echo "== Windows: ZIP"
# The build the suite tests on Windows, where there is one: the same Release
# options, and CPack builds nothing more than the game.
cmake -S "$root" -B "$root/build-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$root/build-win" -j"$jobs" --target fusewalker
cpack --config "$root/build-win/CPackConfig.cmake" -B "$out"

echo "== The web page: ZIP"
"$root/scripts/build-web.sh"
cpack --config "$root/build-web-release/CPackConfig.cmake" -B "$out"

rm -rf "$out/_CPack_Packages"
ls -l "$out"
