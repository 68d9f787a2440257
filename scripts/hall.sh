#!/usr/bin/env bash
# Builds the hall and the game's web page for release, and starts the hall
# on http://127.0.0.1:PORT/ (8080 unless given): the game at /, the best
# rounds at /hall, rounds kept in ./hall.db unless --db says otherwise.
# Further arguments go to the server (fusewalker-hall --help lists them).
# Ctrl-C stops it.
#
#   scripts/hall.sh [PORT] [--db postgresql://USER@HOST/DB] [ARGS...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port=8080
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  port="$1"
  shift
fi
db=(--db ./hall.db)
for arg in "$@"; do
  [[ "$arg" == --db* ]] && db=()
done

"$root/scripts/install-deps.sh" play
"$root/scripts/install-deps.sh" web
"$root/scripts/build-release.sh" fusewalker-hall fusewalker-hall-worker
"$root/scripts/build-web.sh"
exec "$root/build-release/hall/fusewalker-hall" --port "$port" "${db[@]}" --data "$root/data" \
  --page "$root/build-web-release/platform" "$@"
