#!/usr/bin/env bash
# How steadily the real game holds a pace set with --fps, under Xvfb in a
# small window, over ten seconds of play. The game's own recording counts the
# frames: two mouse moves some seconds apart by the clock, and the frames
# between the ones they arrived before.
#
#   bench/pace.sh GAME DATA_DIR [FPS] [SECONDS]
set -euo pipefail
game="$(realpath "$1")"
fps="${3:-50}" seconds="${4:-10}"
work="$(mktemp -d)"
check=""
source "$(dirname "$0")/../tests/e2e/x_session.sh"
require_tools Xvfb xdotool xwd

start_game "$2" game.log "$game" --window 320x240 --fps "$fps" --record "$work/pace.rec"
wait_for_window 30
window="$(xdotool search --name '^Fusewalker V1.0$' | head -n1)"
recorded() { grep -q "$1" "$work/pace.rec"; }

# Into play, so the frames measured are playing frames.
xdotool mousemove --window "$window" 160 120 click 1
poll 30 "the click to start is not recorded" "$game_pid" recorded " click 160 120"
start="$(date +%s.%N)"
xdotool mousemove --window "$window" 10 10
sleep "$seconds"
end="$(date +%s.%N)"
xdotool mousemove --window "$window" 20 20
poll 10 "the last move is not recorded" "$game_pid" recorded " move 20 20"

awk -v start="$start" -v end="$end" -v fps="$fps" '
    $2 == "move" && $3 == 10 && $4 == 10 && first == "" { first = $1 }
    $2 == "move" && $3 == 20 && $4 == 20 { last = $1 }
    END {
        rate = (last - first) / (end - start)
        off = 100 * (rate - fps) / fps
        printf "%d frames in %.3f s: %.2f frames per second against %d asked (%+.2f %%)\n", last - first, end - start, rate, fps, off
        exit (off < -2 || off > 2)
    }' "$work/pace.rec"
