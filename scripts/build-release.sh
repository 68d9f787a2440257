#!/usr/bin/env bash
# The native Release build that the player's game and the Linux packages come
# from, in build-release/: only the game and what ships with it, no tests.
#
#   scripts/build-release.sh TARGET...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DFW_TESTS=OFF -DFW_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$root/build-release" -j"$(nproc)" --target "$@"
