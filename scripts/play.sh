#!/usr/bin/env bash
# Builds the game and plays it, with the shipped data as its working directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DFW_TESTS=OFF -DFW_BENCH=OFF
cmake --build "$root/build" -j"$(nproc)" --target fusewalker
cd "$root/data"
exec "$root/build/app/fusewalker"
