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
check="${3:+$(realpath -m "$3")}"
work="${4:-$(mktemp -d)}"
source "$(dirname "$0")/x_session.sh"
require_tools wine wineserver Xvfb xdotool xwd
[ -z "$check" ] || [ -x "$check" ] || fail "no screenshot checker at $check (build xwd_check in the native build first)"

# A prefix of its own, so no user's Wine set-up is touched; without the .NET
# and browser add-ons Wine asks for nothing while it builds the prefix.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

start_game "$2" wine.log wine "$exe"
# The first start builds the prefix, which takes a few seconds.
wait_for_window 120
echo "window is up"
[ -z "$check" ] || wait_for_screen title-white 60
# The title's prompt blinks, so a changing screen means frames keep coming.
wait_for_frames 3 30
echo "frames keep running"

xdotool key --window "$(xdotool search --name '^Fusewalker V1.0$' | head -n1)" alt+F4 2>/dev/null
expect_exit_code_1 30
echo "passed: window, frames, and exit code 1 after closing"
