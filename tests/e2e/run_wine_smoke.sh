#!/usr/bin/env bash
# Starts the Windows build under Wine on a virtual X server and checks that
# it opens its window, keeps running frames, and ends with exit code 1 when
# the window is closed. With a screenshot checker it also waits for the
# title text, which shows that Wine's OpenGL draws.
#
#   run_wine_smoke.sh FUSEWALKER_EXE DATA_DIR [XWD_CHECK] [WORK_DIR]
#
# Exits 77 (a skip for CTest) when wine, Xvfb, xdotool or xwd is missing.
set -euo pipefail

exe="$(realpath "$1")"
data="$2"
check="${3:+$(realpath -m "$3")}"
work="${4:-$(mktemp -d)}"
rm -rf "$work"
mkdir -p "$work"

source "$(dirname "$0")/x_session.sh"
require_tools wine wineserver Xvfb xdotool xwd
if [ -n "$check" ] && [ ! -x "$check" ]; then
    echo "FAILED: no screenshot checker at $check (build xwd_check in the native build first)"
    exit 1
fi

# A prefix of its own, so no user's Wine set-up is touched; without the .NET
# and browser add-ons Wine asks for nothing while it builds the prefix.
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

game_pid=""
finish() {
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    wineserver -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$WINEPREFIX"
}
trap finish EXIT

start_xvfb
echo "Xvfb on $DISPLAY, work in $work"

(cd "$data" && exec wine "$exe") >"$work/wine.log" 2>&1 &
game_pid=$!

# The first start builds the prefix, which takes a few seconds.
wait_for_window "Fusewalker V1.0" 120 "$game_pid"
echo "window is up"
if [ -n "$check" ]; then
    wait_for_screen title-white 60 "$game_pid"
fi

# The title's prompt blinks, so a changing screen means frames keep coming.
wait_for_frames 3 30 "$game_pid"
echo "frames keep running"

window="$(xdotool search --name '^Fusewalker V1.0$' | head -n1)"
xdotool key --window "$window" alt+F4 2>/dev/null
deadline=$((SECONDS + 30))
while kill -0 "$game_pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "still running 30 s after the window was closed"
    sleep 0.2
done
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
echo "passed: window, frames, and exit code 1 after closing"
