#!/usr/bin/env bash
# 100 resizes, minimises, unmaps with maps and activations in seconds, frames throughout; then the title, a click
# to play, a resize back to the title. The recording tells what reached the game and counts the frames.
#   storm.sh DATA_DIR XWD_CHECK WORK_DIR GAME [ARGS...]   (GAME: the Linux game, or wine and the .exe)
set -euo pipefail
data="$(realpath "$1")"
check="$(realpath "$2")"
work="$(realpath -m "$3")"
shift 3
source "$(dirname "$0")/x_session.sh"
require_tools Xvfb xdotool xwd "$1"

record="$work/storm.rec"
# Paced, so the title's frames leave the machine to the rest of the suite.
start_game "$data" game.log "$@" --fps 60 --record "$record"
# Under Wine the first start builds the prefix.
wait_for_window 120
window="$(xdotool search --name '^Fusewalker V1.0$' | head -n1)"
wait_for_screen title-white 120

# Size messages the game has taken (the Windows build writes CRLF lines).
sizes() { grep -c ' size.\?$' "$record" || true; }
more_sizes_than() { [ "$(sizes)" -gt "$1" ]; }
resize_to() {
    local before
    before="$(sizes)"
    xdotool windowsize "$window" "$1" "$2"
    poll 30 "no size message for $1 x $2" "$game_pid" more_sizes_than "$before"
}

RANDOM=1
refused=0
before="$(sizes)"
started=$SECONDS
for ((i = 1; i <= 100; ++i)); do
    case $((i % 4)) in
    1) last_size="$((100 + RANDOM % 924)) $((100 + RANDOM % 668))"
       # shellcheck disable=SC2086
       xdotool windowsize "$window" $last_size ;;
    2) xdotool windowminimize "$window" ;;
    3) xdotool windowunmap "$window" windowmap "$window" ;;
    0) xdotool windowactivate "$window" 2>/dev/null || refused=$((refused + 1)) ;;
    esac
    # The window is mapped after every fourth request; the pointer is nudged inside it, whatever its size.
    [ $((i % 20)) != 0 ] || { nudge_window="$window" wait_for_frames 2 30 50 80; echo "  request $i, the window last resized to $last_size: frame $(last_frame)"; }
done
echo "100 requests in $((SECONDS - started)) s, the last resize to $last_size, frames throughout: $(($(sizes) - before)) size messages reached the game, $refused activations were refused"

resize_to 1024 768
wait_for_screen title-white 60
xdotool mousemove 512 300 click 1
wait_for_screen playing 60
# Back to the title, and to the whole screen for the screenshot.
resize_to 1000 700
resize_to 1024 768
wait_for_screen title-red 60
echo "passed: frames throughout the storm, the title after it, a click answered, the title again"
