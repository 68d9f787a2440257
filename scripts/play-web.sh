#!/usr/bin/env bash
# Builds the game's web page and serves it with Python's http.server, on
# http://127.0.0.1:8000/ unless another port is given. Ctrl-C stops it.
#
#   scripts/play-web.sh [PORT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-8000}"

"$root/scripts/install-deps.sh" web
"$root/scripts/build-web.sh"
echo "Fusewalker is at http://127.0.0.1:$port/ (Ctrl-C stops it)"
exec python3 -m http.server --bind 127.0.0.1 --directory "$root/build-web-release/platform" "$port"
