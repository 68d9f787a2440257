# Sourced once $work (scratch) and $check (xwd_check) are set: the game on a private 1024 x 768 X server.

xvfb_pid=""
game_pid=""
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "FAILED: $*"
    [ -z "${verdict:-}" ] || echo "last check: $verdict"
    [ ! -f "$work/shot.xwd" ] || echo "last screenshot: $work/shot.xwd"
    [ -z "${game_log:-}" ] || { echo "the game's last words:"; tail -n 20 "$game_log"; }
    exit 1
}

# Exits 77, which CTest reports as a skip, when a tool is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
}

finish() {
    local pid
    for pid in "$game_pid" "$xvfb_pid"; do
        [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    done
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
}
trap finish EXIT

# start_game DATA_DIR LOG COMMAND...: Xvfb on a display it picks, the first time, then the game in DATA_DIR.
start_game() {
    local data="$1" log="$2"
    shift 2
    if [ -z "$xvfb_pid" ]; then
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        poll 20 "Xvfb gave no display number" "$xvfb_pid" test -s "$work/display"
        export DISPLAY=":$(head -n1 "$work/display")"
        echo "Xvfb on $DISPLAY, work in $work"
    fi
    game_log="$work/$log"
    (cd "$data" && exec "$@") >"$game_log" 2>&1 &
    game_pid=$!
}

# poll SECONDS WHAT PID COMMAND...: COMMAND every $pause (0.2) s until it succeeds; fails if PID ends or time is up.
poll() {
    local seconds="$1" what="$2" pid="$3" deadline=$((SECONDS + $1))
    shift 3
    until "$@"; do
        kill -0 "$pid" 2>/dev/null || fail "the program ended: $what"
        [ $SECONDS -lt $deadline ] || fail "$what after $seconds s"
        sleep "${pause:-0.2}"
    done
}

# The game's own process: the game itself, or under Wine the .exe's in our prefix.
game_processes() {
    local pid
    [ -n "${WINEPREFIX:-}" ] || { echo "$game_pid"; return; }
    for pid in $(pgrep -x fusewalker.exe); do
        ! grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null || echo "$pid"
    done
}

# The game is held still for the picture, so a slow one costs it no time. xwd ends with BadWindow when Wine
# destroys a window mid-walk: one more try.
shoot() {
    local pids taken=0
    pids="$(game_processes)"
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -STOP $pids 2>/dev/null || true
    xwd -root -silent >"$work/shot.xwd" 2>/dev/null || xwd -root -silent >"$work/shot.xwd" || taken=$?
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -CONT $pids 2>/dev/null || true
    [ "$taken" = 0 ] || fail "xwd could not take a screenshot"
}

# The checker recognises SCREEN in a new screenshot.
shows() {
    shoot
    verdict="$("$check" "$work/shot.xwd" "$1")" || return 1
    echo "  $1: $verdict"
    cp "$work/shot.xwd" "$work/$1.xwd"
}

window_up() { xdotool search --name '^Fusewalker V1.0$' >/dev/null 2>&1; }
wait_for_window() { poll "$1" "no window titled Fusewalker V1.0" "$game_pid" window_up; }
wait_for_screen() { poll "$2" "no $1 screen" "$game_pid" shows "$1"; }

# wait_for_frames N SECONDS [X Y]: the pointer nudged about X Y (default the top right; in $nudge_window if set)
# until the game's recording ($record) holds a move N frames on: its own count, which no picture fools.
# Leftwards: Wine's window has its right border at the screen's edge.
last_frame() { tr -d '\r' <"$record" | awk '$1 ~ /^[0-9]+$/ { f = $1 } END { print f + 0 }'; }
nudged_past() {
    local at=(mousemove)
    [ -z "${nudge_window:-}" ] || at+=(--window "$nudge_window")
    xdotool "${at[@]}" $((spot_x - nudges++ % 2)) "$spot_y"
    [ "$(last_frame)" -ge "$1" ]
}
wait_for_frames() {
    local target=$(($(last_frame) + $1)) spot_x="${3:-1020}" spot_y="${4:-60}" nudges=0
    poll "$2" "the game recorded no move $1 frames on" "$game_pid" nudged_past "$target"
}

# The game ends within SECONDS with exit code 1.
game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }
expect_exit_code_1() {
    local status=0
    poll "$1" "the game still runs since its window was closed" "$xvfb_pid" game_ended
    wait "$game_pid" || status=$?
    game_pid=""
    [ "$status" -eq 1 ] || fail "exit code $status, expected 1"
}
