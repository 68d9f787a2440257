#!/usr/bin/env bash
# Plays one round of the real Linux game on a virtual X server: the title,
# a click to start, three Fusewalkers placed in the crowd, the score screen
# once the round ends, and a click back to the title. Every step waits by
# polling screenshots, since the game's pace follows its frame rate. The
# round is recorded, and the recording must replay to the same outcome.
#
#   run_e2e.sh GAME DATA_DIR XWD_CHECK REPLAY [WORK_DIR]
#
# Exits 77 (a skip for CTest) when Xvfb, xdotool or xwd is missing.
set -euo pipefail
game="$(realpath "$1")"
check="$(realpath "$3")"
replay="$(realpath "$4")"
work="${5:-$(mktemp -d)}"
source "$(dirname "$0")/x_session.sh"
require_tools Xvfb xdotool xwd

start_game "$2" game.log "$game" --record "$work/round.rec"
wait_for_window 30
echo "title screen, text in the default colour"
wait_for_screen title-white 60

echo "click to start"
xdotool mousemove 512 300 click 1
wait_for_screen playing 60

# Three people in the crowd: the rows stand between ground z 0 and 0.78,
# which on this display is between screen rows 768 * (1 - z) / 1.25.
for spot in "256 420" "512 450" "768 480"; do
    echo "click on the crowd at $spot"
    # shellcheck disable=SC2086
    xdotool mousemove $spot click 1
    # The frame after a click uses it; two presses before one frame would be one click.
    wait_for_frames 3 30
done

echo "waiting for the blasts, the falls and the score"
wait_for_screen score 300
echo "click to leave the score screen"
xdotool click 1
wait_for_screen title-red 60

kill -TERM "$game_pid"
expect_exit_code_1 30

echo "replaying the recording"
"$replay" --data "$2" --script "$work/round.rec" --size 64x48 >"$work/replay.out" ||
    fail "the recorded round does not replay to the same outcome"
grep -q '"outcomesChecked":2' "$work/replay.out" || fail "the recording lacks its outcome lines: $(cat "$work/replay.out")"

echo "playing the recording back in a small window, the mouse ignored meanwhile"
start_game "$2" playback.log "$game" --window 256x192 --play "$work/round.rec" --record "$work/again.rec"
wait_for_window 30
xdotool mousemove 100 100 click 1
round_end="$(grep -m1 ' outcome ' "$work/round.rec")"
replayed() { grep -qx "$round_end" "$work/again.rec"; }
poll 120 "the round did not end as recorded: $(grep outcome "$work/again.rec" || true)" "$game_pid" replayed
kill -TERM "$game_pid"
expect_exit_code_1 30
! grep -q differs "$work/playback.log" || fail "$(cat "$work/playback.log")"
# The events up to the round's end: the playback is stopped there.
events() { awk -v end="${round_end%% *}" '$1 <= end && $2 ~ /^(move|click|size|display|window)$/' "$1"; }
cmp -s <(events "$work/round.rec") <(events "$work/again.rec") ||
    fail "the played-back session routed other events than the recording's"
echo "passed: title, play, score and title again; exit code 1; the recording replays to the same outcome, live too"
