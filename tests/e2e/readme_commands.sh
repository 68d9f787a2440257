#!/usr/bin/env bash
# The README's commands for players, after package.sh, whose builds they reuse: play.sh shows the title,
# play-web.sh serves the page, .js and .wasm, hall.sh serves the pages and keeps a round.
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
served fusewalker.js fusewalker.js || fail "the game's script is not served"
wasm="$(grep -o 'fusewalker-[0-9a-f]*\.wasm' "$work/fusewalker.js" | head -n1)"
served "$wasm" game.wasm || fail "the .wasm the script names, \"$wasm\", is not served"
[ "$(head -c4 "$work/game.wasm" | tail -c3)" = asm ] || fail "$wasm is not WebAssembly"
kill -TERM "$game_pid"
wait "$game_pid" || true

echo "./scripts/hall.sh $port"
(cd "$work" && exec "$root/scripts/hall.sh" "$port") >"$work/hall.log" 2>&1 &
game_pid=$!
poll 600 "hall.sh serves no hall" "$game_pid" served api/hall hall.json
grep -q '"hall":true' "$work/hall.json" || fail "/api/hall does not say it is a hall"
served "" hall-index.html && grep -q '<canvas' "$work/hall-index.html" || fail "the hall does not serve the game's page"
served hall hall.html && grep -q '<h1>The hall</h1>' "$work/hall.html" || fail "the hall does not serve its page"
# One round sent, and read back from the table.
python3 -c 'import json, sys; print(json.dumps({"name": "readme", "recording": open(sys.argv[1]).read()}))' \
    "$root/tests/corpus/round/recording.rec" >"$work/round.json"
curl -fs -H 'Content-Type: application/json' --data-binary @"$work/round.json" "http://127.0.0.1:$port/api/rounds" \
    >"$work/sent.json" || fail "the hall did not keep the round: $(cat "$work/sent.json")"
served 'api/rounds?top=1' top.json && python3 -c 'import json, sys
best = json.load(open(sys.argv[1]))[0]
sys.exit(best["name"] != "readme" or best["score"] != 5218)' "$work/top.json" ||
    fail "the round sent is not in the table: $(cat "$work/top.json")"
[ -f "$work/hall.db" ] || fail "the hall keeps no ./hall.db"
kill -TERM "$game_pid"
wait "$game_pid" || fail "the hall did not stop cleanly on SIGTERM"
echo "passed: play.sh shows the title, play-web.sh serves the page, hall.sh keeps a round sent and lists it"
