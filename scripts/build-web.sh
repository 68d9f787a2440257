#!/usr/bin/env bash
# The web page's Release build with Debian's emscripten, in build-web-release/:
# index.html, its scripts, fusewalker.js and its .wasm in build-web-release/platform/.
# play-web.sh and package.sh share it; the tests build their own. Only the
# page is built, and CPack installs it without building anything else.
#
#   scripts/build-web.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
emcmake cmake -S "$root" -B "$root/build-web-release" -DCMAKE_BUILD_TYPE=Release -DFW_TESTS=OFF -DFW_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$root/build-web-release" -j"$(nproc)" --target fusewalker_page
