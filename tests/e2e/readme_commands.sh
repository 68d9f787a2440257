#!/usr/bin/env bash
# The README's commands for players as it gives them, after package.sh,
# whose builds they reuse: play.sh until its window shows the title on a
# virtual X server, play-web.sh until it serves the page, .js and .wasm,
# hall.sh until it serves the page and the hall's.
#
#   readme_commands.sh XWD_CHECK WORK_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
check="$(realpath "$1")"
work="$(realpath -m "$2")"
source "$(dirname "$0")/x_session.sh"
require_tools Xvfb xdotool xwd curl

echo "./scripts/play.sh"
start_game "$root" play.log ./scripts/play.sh
wait_for_window 300
wait_for_screen title-white 60
kill -TERM "$game_pid"
expect_exit_code_1 30

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
echo "./scripts/play-web.sh $port"
"$root/scripts/play-web.sh" "$port" >"$work/play-web.log" 2>&1 &
game_pid=$!
served() { curl -fso "$work/$2" "http://127.0.0.1:$port/$1"; }
poll 300 "play-web.sh serves no page" "$game_pid" served "" index.html
grep -q '<canvas' "$work/index.html" || fail "the page served is not the game's"
served fusewalker.js fusewalker.js && served fusewalker.wasm fusewalker.wasm || fail "the game's files are not served"
[ "$(head -c4 "$work/fusewalker.wasm" | tail -c3)" = asm ] || fail "fusewalker.wasm is not WebAssembly"
kill -TERM "$game_pid"
wait "$game_pid" || true

echo "./scripts/hall.sh $port"
(cd "$work" && exec "$root/scripts/hall.sh" "$port") >"$work/hall.log" 2>&1 &
game_pid=$!
poll 600 "hall.sh serves no hall" "$game_pid" served api/hall hall.json
grep -q '"hall":true' "$work/hall.json" || fail "/api/hall does not say it is a hall"
served "" hall-index.html && grep -q '<canvas' "$work/hall-index.html" || fail "the hall does not serve the game's page"
served hall hall.html && grep -q '<h1>The hall</h1>' "$work/hall.html" || fail "the hall does not serve its page"
[ -f "$work/hall.db" ] || fail "the hall keeps no ./hall.db"
kill -TERM "$game_pid"
wait "$game_pid" || fail "the hall did not stop cleanly on SIGTERM"
echo "passed: play.sh shows the title, play-web.sh serves the page, hall.sh serves the game and the hall"
