#!/usr/bin/env bash
# Plays one round of the real Linux game on a virtual X server: the title,
# a click to start, three Fusewalkers placed in the crowd, the score screen
# once the round ends, and a click back to the title. Every step waits by
# polling screenshots, since the game's pace follows its frame rate.
#
#   run_e2e.sh GAME DATA_DIR XWD_CHECK [WORK_DIR]
#
# Exits 77 (a skip for CTest) when Xvfb, xdotool or xwd is missing.
set -euo pipefail

game="$(realpath "$1")"
data="$2"
check="$(realpath "$3")"
work="${4:-$(mktemp -d)}"
rm -rf "$work"
mkdir -p "$work"

source "$(dirname "$0")/x_session.sh"
require_tools Xvfb xdotool xwd

game_pid=""
finish() {
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    stop_xvfb
}
trap finish EXIT

start_xvfb
echo "Xvfb on $DISPLAY, screenshots in $work"

(cd "$data" && exec "$game") >"$work/game.log" 2>&1 &
game_pid=$!

wait_for_window "Fusewalker V1.0" 30 "$game_pid"
echo "title screen, text in the default colour"
wait_for_screen title-white 60 "$game_pid"

echo "click to start"
xdotool mousemove 512 300 click 1
wait_for_screen playing 60 "$game_pid"

# Three people in the crowd: the rows stand between ground z 0 and 0.78,
# which on this display is between screen rows 768 * (1 - z) / 1.25.
for spot in "256 420" "512 450" "768 480"; do
    echo "click on the crowd at $spot"
    # shellcheck disable=SC2086
    xdotool mousemove $spot click 1
    # The click reaches the game between frames and the frame after it uses
    # it; two presses before one frame would count as one.
    wait_for_frames 3 30 "$game_pid"
done

echo "waiting for the blasts, the falls and the score"
wait_for_screen score 300 "$game_pid"

echo "click to leave the score screen"
xdotool click 1
wait_for_screen title-red 60 "$game_pid"

echo "closing"
kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
echo "passed: title, play, score and title again; exit code 1"
