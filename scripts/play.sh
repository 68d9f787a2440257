#!/usr/bin/env bash
# Builds the game for release and plays it, with the shipped data as its
# working directory. It shares its build with scripts/package.sh, not with
# the tests.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-deps.sh" play
"$root/scripts/build-release.sh" fusewalker
cd "$root/data"
exec "$root/build-release/platform/fusewalker" "$@"
