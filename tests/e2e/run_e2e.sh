#!/usr/bin/env bash
# A round of the packaged game (.tar.gz, or .zip under Wine) on a virtual X server, each screen polled for, exit
# code 1 once closed; started in an empty folder, it finds its data. Its recording replays, headless and in the game.
#   run_e2e.sh PACKAGE XWD_CHECK REPLAY [WORK_DIR]     (exit 77: a tool is missing)
set -euo pipefail
package="$(realpath "$1")"
check="${2:+$(realpath -m "$2")}"
replay="${3:+$(realpath -m "$3")}"
work="${4:-$(mktemp -d)}"
source "$(dirname "$0")/x_session.sh"
require_tools Xvfb xdotool xwd
[ -n "$check" ] || { echo "skipped: no screenshot checker given (xwd_check from a native build)"; exit 77; }
[ -x "$check" ] || fail "no screenshot checker at $check"
[ -x "$replay" ] || fail "no replay tool at $replay"

mkdir "$work/unpacked" "$work/empty"
case "$package" in
*.zip)
    require_tools wine wineserver unzip
    unzip -q "$package" -d "$work/unpacked"
    # Without the .NET and browser add-ons Wine asks for nothing.
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # 150 % (144 dpi), set with no display, so the Wine desktop it starts is gone before the game.
    env -u DISPLAY wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
        >"$work/prefix.log" 2>&1 || fail "Wine could not set 144 dpi: $(cat "$work/prefix.log")"
    wineserver -w
    # Taller than the 19 rows of a caption at 96 dpi: the setting holds.
    caption_rows=20
    # Through cmd, which waits for the game and ends with its exit code: once a Windows process has ended,
    # wineserver gives its Unix process 1 s to go, then SIGKILL (status 137 on a loaded machine). Drive Z: is /.
    exe="$(find "$work/unpacked" -name fusewalker.exe)"
    game=(wine cmd /c "Z:${exe//\//\\}")
    ;;
*)
    tar -xzf "$package" -C "$work/unpacked"
    exe="$(find "$work/unpacked" -path '*/bin/fusewalker')"
    game=("$exe")
    ;;
esac
[ -n "$exe" ] || fail "no game in $package"
step() { echo "${SECONDS}s: $*"; }
close_game() {
    if [ -n "${WINEPREFIX:-}" ]; then
        xdotool key --window "$(xdotool search --name '^Fusewalker V1.0$' | head -n1)" alt+F4 2>/dev/null
    else
        # SDL turns SIGTERM into the quit event that closing the window sends.
        kill -TERM "$game_pid"
    fi
    expect_exit_code_1 30
}
step "playing ${game[*]}"
# At 20 frames a second a fuse burns 5 s, and the game is held still for each screenshot: the labels last until seen.
record="$work/empty/round.rec"
start_game "$work/empty" game.log "${game[@]}" --fps 20 --record round.rec
# Wine builds its prefix on the first start, which takes a while.
wait_for_window 120
step "window is up: the title screen, text in the default colour"
wait_for_screen title-white 60
# The client area covers the screen, under Wine inside even borders and a caption of $caption_rows or more.
covers_screen() {
    local WIDTH=0 HEIGHT=0 X=0 Y=0
    eval "$(xdotool search --name '^Fusewalker V1.0$' getwindowgeometry --shell | grep -E '^(WIDTH|HEIGHT|X|Y)=[0-9]+$')"
    verdict="client area ${WIDTH}x${HEIGHT} at $X,$Y on the 1024x768 screen"
    [ $((1024 - X - WIDTH)) -eq "$X" ] && [ $((768 - Y - HEIGHT)) -eq "$X" ] && [ $((Y - X)) -ge "${caption_rows:-0}" ]
}
poll 30 "the window does not cover the screen" "$game_pid" covers_screen
echo "  window: $verdict"
wait_for_frames 3 30

step "click to start"
xdotool mousemove 512 300 click 1
wait_for_screen playing 60

# Three in the crowd (rows 768 * (1 - z) / 1.25), each click in a frame of its own: two in one frame are one click.
for spot in 320,420 512,450 704,480; do
    step "click on the crowd at $spot"
    xdotool mousemove "${spot%,*}" "${spot#*,}" click 1
    wait_for_frames 1 30 "${spot%,*}" "${spot#*,}"
done
# Up to the right, inside the window, so the marker's lines cross no label.
xdotool mousemove 1020 60
wait_for_frames 1 30
step "three fuses burning"
wait_for_screen fuses 60
step "waiting for the blasts"
wait_for_screen blasts 300
step "waiting for the falls to end and the score"
wait_for_screen score 900
step "click to leave the score screen"
xdotool click 1
wait_for_screen title-red 60

close_game
! grep 'is in none of' "$work/game.log" || fail "the game did not find its data"

step "replaying the recording"
data="$(dirname "$(find "$work/unpacked" -name ragdoll.rag)")"
"$replay" --data "$data" --script "$work/empty/round.rec" --size 64x48 >"$work/replay.out" ||
    fail "the recorded round does not replay to the same outcome"
grep -q '"outcomesChecked":2' "$work/replay.out" || fail "the recording lacks its outcome lines: $(cat "$work/replay.out")"
tr -d '\r' <"$record" | grep -Eq '^[0-9]+ outcome state 2 score [1-9][0-9]* explosions 3$' ||
    fail "the recording has no round ending on a score above 0 after three blasts"

step "playing the recording back in the game, as fast as it draws"
start_game "$work/empty" playback.log "${game[@]}" --play round.rec --window 64x48 --fps 0
poll 600 "no summary of the played recording" "$game_pid" grep -qs '"outcomesChecked":2' "$work/playback.log"
close_game

step "playing back a round shown from frame 100000000: the frames before it run through at once"
bash "$(dirname "$0")/../replay/hostile_rounds.sh" "$work/hostile" >/dev/null
cp "$work/hostile/far-from.rec" "$work/empty/far.rec"
start_game "$work/empty" far.log "${game[@]}" --play far.rec --window 64x48 --fps 0
poll 120 "no summary of the round shown from far on" "$game_pid" grep -qs '"frames":100000001,.*"outcomesChecked":1' "$work/far.log"
close_game

step "passed: title, play, three fuses, blasts, score and title again; exit code 1; the recording replays, and plays in the game, as does a round shown from far on"
