#!/usr/bin/env bash
# hostile_rounds.sh DIR: rounds from the hostile side for the replay tool, the game and the page, each written
# as DIR/NAME.rec with a line NAME<TAB>what a player is told (line and reason), or NAME<TAB>plays N (outcomes).
set -euo pipefail
dir="$1"
mkdir -p "$dir"
# lines COUNT TEXT: TEXT, COUNT times.
lines() { for ((i = 0; i < $1; ++i)); do echo "$2"; done; }
round() {
    local name="$1" expect="$2"
    cat >"$dir/$name.rec"
    printf '%s\t%s\n' "$name" "$expect"
}

# Far from, as a link asks: the frames before it run through at once.
printf 'pace 60\nfrom 100000000\n100000000 size\n100000000 outcome state 0 score 0 explosions 0\n' |
    round far-from 'plays 1'
printf 'pace 60\n0 move 1 1\n100000000 click 1 1\n' |
    round far-line 'line 3: frame 100000000 is more than 60 minutes of frames (216000) after frame 0'
{ echo 'pace 60'; lines 17 '5 size'; } | round size-flood 'line 18: more than 16 size messages in frame 5'
{ echo 'pace 60'; lines 5000 '5 click 100 100'; } | round click-flood 'line 1002: more than 1000 lines for frame 5'
# Shown from far on after a click that plays and nothing to end it: every frame before would be a playing one.
printf 'pace 60\nfrom 5000000\n0 click 0 0\n9000000 outcome state 0 score 0 explosions 0\n' |
    round from-playing 'line 4: "0 click 0 0" before "from 5000000" is not followed by "2 size"'
# Every limit at its edge: carried lines, a full frame of moves with the most size messages, a move in each of
# 10000 frames, and the longest quiet stretch to the last outcome.
{
    printf 'pace 60\nwindow 64 48\nfrom 99000000\n0 click 0 0\n2 size\n99000000 display 64 48\n'
    lines 982 '99000000 move 10 10'
    lines 16 '99000000 size'
    echo '99000000 outcome state 0 score 0 explosions 0'
    seq 99000001 99010000 | sed 's/$/ move 20 20/'
    echo '99226000 outcome state 0 score 0 explosions 0'
} | round maximal 'plays 2'
