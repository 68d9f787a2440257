#!/usr/bin/env bash
# The web page's Release build with Debian's emscripten, in build-web-release/:
# index.html, fusewalker.js and fusewalker.wasm in build-web-release/platform/.
# play-web.sh and package.sh share it; the tests build their own.
#
#   scripts/build-web.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Debian's emcc runs its JavaScript tools with Debian's node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S "$root" -B "$root/build-web-release" -DCMAKE_BUILD_TYPE=Release -DFW_TESTS=OFF -DFW_BENCH=OFF >/dev/null
cmake --build "$root/build-web-release" -j"$(nproc)" --target fusewalker
