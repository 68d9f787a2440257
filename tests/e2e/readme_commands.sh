#!/usr/bin/env bash
# The README's commands for players as it gives them, after package.sh,
# whose builds they reuse: play.sh until its window shows the title on a
# virtual X server, play-web.sh until it serves the page, .js and .wasm.
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
served fusewalker.js fusewalker.js || fail "the game's script is not served"
wasm="$(grep -o 'fusewalker-[0-9a-f]*\.wasm' "$work/fusewalker.js" | head -n1)"
served "$wasm" game.wasm || fail "the .wasm the script names, \"$wasm\", is not served"
[ "$(head -c4 "$work/game.wasm" | tail -c3)" = asm ] || fail "$wasm is not WebAssembly"
echo "passed: play.sh shows the title, play-web.sh serves the page"
