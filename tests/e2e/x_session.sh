# Helpers shared by the end-to-end scripts: a private virtual X server at
# 1024 x 768, screenshots, and polling for what the screen shows. Sourced,
# not run. Needs $work (a scratch directory) and $check (the xwd_check
# program, or empty) set by the caller.

xvfb_pid=""

# Exit code that CTest reports as a skip.
skip() {
    echo "skipped: $*"
    exit 77
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local deadline=$((SECONDS + 20))
    until [ -s "$work/display" ]; do
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
        [ $SECONDS -lt $deadline ] || fail "Xvfb gave no display number in 20 s"
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$work/display")"
}

stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}

fail() {
    echo "FAILED: $*"
    [ -f "$work/shot.xwd" ] && echo "last screenshot: $work/shot.xwd"
    exit 1
}

shoot() {
    xwd -root -silent >"$work/shot.xwd" || fail "xwd could not take a screenshot"
}

# wait_for_window TITLE SECONDS PID
wait_for_window() {
    local deadline=$((SECONDS + $2))
    until xdotool search --name "^$1\$" >/dev/null 2>&1; do
        kill -0 "$3" 2>/dev/null || fail "the program ended before its window appeared"
        [ $SECONDS -lt $deadline ] || fail "no window titled \"$1\" after $2 s"
        sleep 0.2
    done
}

# wait_for_screen SCREEN SECONDS PID: a screenshot every 0.2 s until the
# checker recognises SCREEN.
wait_for_screen() {
    local deadline=$((SECONDS + $2)) started=$SECONDS verdict=""
    while :; do
        kill -0 "$3" 2>/dev/null || fail "the program ended while waiting for the $1 screen"
        shoot
        if verdict="$("$check" "$work/shot.xwd" "$1")"; then
            echo "  $1 after $((SECONDS - started)) s: $verdict"
            cp "$work/shot.xwd" "$work/$1.xwd"
            return 0
        fi
        [ $SECONDS -lt $deadline ] || fail "no $1 screen after $2 s; last: $verdict"
        sleep 0.2
    done
}

# wait_for_frames N SECONDS PID: the screen changes N times, so at least N
# new frames have been shown since the call.
wait_for_frames() {
    local deadline=$((SECONDS + $2)) changes=0
    shoot
    mv "$work/shot.xwd" "$work/before.xwd"
    while [ $changes -lt "$1" ]; do
        kill -0 "$3" 2>/dev/null || fail "the program ended while waiting for frames"
        [ $SECONDS -lt $deadline ] || fail "the screen changed only $changes times in $2 s"
        shoot
        if ! cmp -s "$work/shot.xwd" "$work/before.xwd"; then
            changes=$((changes + 1))
            mv "$work/shot.xwd" "$work/before.xwd"
        else
            sleep 0.05
        fi
    done
}
