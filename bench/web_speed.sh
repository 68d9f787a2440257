#!/usr/bin/env bash
# The web build's speed beside the native game's, in one run: the physics
# step alone (step_timing, natively and as WebAssembly under Node.js, both
# on the built-in pose: the WebAssembly file system holds no data files), and
# frames a second of the playing crowd at 1024 x 768: the native game
# unpaced in a window of that size on Xvfb (Mesa llvmpipe), its frames
# counted by its own recording from the three fuses lit to the round's end,
# and the page in headless chromium playing docs/playing.script, the same
# three fuses.
#
#   bench/web_speed.sh NATIVE_BUILD WEB_BUILD DATA_DIR
set -euo pipefail
native="$(realpath "$1")" web="$(realpath "$2")" data="$(realpath "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
check=""
source "$here/../tests/e2e/x_session.sh"
require_tools Xvfb xdotool

echo "== the step, native"
mkdir "$work/empty"
(cd "$work/empty" && "$native/bench/step_timing" 2000 2>/dev/null)
echo "== the step, WebAssembly under Node.js"
(cd "$work/empty" && node --no-experimental-fetch "$web/bench/step_timing.js" 2000 2>/dev/null)

echo "== playing frames at 1024 x 768, the native game on Xvfb"
record="$work/native.rec"
start_game "$data" game.log "$native/platform/fusewalker" --window 1024x768 --fps 0 --record "$record"
wait_for_window 30
window="$(xdotool search --name '^Fusewalker V1.0$' | head -n1)"
recorded() { grep -q "$1" "$record"; }
# The clicks of docs/playing.script: start, then three people lit.
for spot in "512 384" "256 368" "512 368" "768 368"; do
    xdotool mousemove --window "$window" $spot click 1
    poll 30 "the click at $spot is not recorded" "$game_pid" recorded " click $spot"
done
# A move every quarter second, each to a spot of its own, timed by the clock
# here, until the round's outcome line: the frames between the first and the
# last move before it are playing frames.
: >"$work/moves"
for ((i = 0; ; ++i)); do
    xdotool mousemove --window "$window" $((100 + i)) 100
    echo "$i $(date +%s.%N)" >>"$work/moves"
    ! recorded " outcome " || break
    sleep 0.25
done
poll 10 "the last move is not recorded" "$game_pid" recorded " move $((100 + i)) 100"
awk '
    FNR == NR { at[$1] = $2; next }
    $2 == "outcome" && end == "" { end = $1 }
    $2 == "move" && $4 == 100 && end == "" && !(($3 - 100) in seen) {
        seen[$3 - 100] = 1
        if (first == "") { first = $1; t0 = at[$3 - 100] }
        last = $1; t1 = at[$3 - 100]
    }
    END { printf "the native game, 1024 x 768: %d playing frames in %.2f s, %.1f frames a second\n", last - first, t1 - t0, (last - first) / (t1 - t0) }' "$work/moves" "$record"
finish
xvfb_pid="" game_pid=""
# Headless chromium's GPU process must not look for the X server just gone.
unset DISPLAY

echo "== playing frames, the page"
mkdir "$work/site"
cp "$web/platform/"*.html "$web/platform/"*.js "$web/platform/"fusewalker-*.wasm "$work/site"
node "$here/web_fps.mjs" "$work/site" 1024x768 512x384
rm -rf "$work"
