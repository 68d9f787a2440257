#!/usr/bin/env bash
# The game's command line with no screen: help, version, and every refusal at once with exit code 2 and one line
# naming what is wrong, losing nothing already written.
#   options_test.sh GAME WORK_DIR
set -- "$(realpath "$1")" "" "$2"
source "$(dirname "$0")/../replay/common.sh"
# SDL's offscreen driver starts without a screen; no window is opened here.
export SDL_VIDEODRIVER=offscreen

says game 0 "fusewalker 1\." --version
says game 0 "Example" --help
grep -q -- "--fps.*--record.*--play.*--window" <(tr -d '\n' <game.out) || fail "--help does not show every option"
for bad in "--fps 2000" "--fps -1" "--fps 2.5" "--window 320" "--window 0x240" "--window 9000x100" "--record"; do
    # shellcheck disable=SC2086
    says game 2 "fusewalker: .*${bad%% *}" $bad
done
says game 2 "fusewalker: .*not expected" round.rec
for f in /no/such/folder/round.rec /dev/full; do says game 2 "\"$f\"" --record "$f"; done
says game 2 '"missing.rec"' --play missing.rec

printf 'pace 50\n0 click 1 2\n3 fly 1 2\n' >bad.rec
printf 'kept\n' >kept.rec
says game 2 '"bad.rec" line 3' --record kept.rec --play bad.rec
[ "$(cat kept.rec)" = kept ] || fail "a refused start wrote over the recording"
printf 'pace 50\n0 click 1 2\n' >good.rec
says game 2 "write over" --record good.rec --play ./good.rec
[ "$(sed -n 2p good.rec)" = "0 click 1 2" ] || fail "a refused start wrote over the recording it was to play"
# Hostile rounds the game refuses before its window opens; those it plays, the X round plays.
bash "$here/hostile_rounds.sh" hostile >hostile.tsv
while IFS=$'\t' read -r name expect; do
    [ "${expect%% *}" = plays ] || says game 2 "\"hostile/$name.rec\" $expect" --play "hostile/$name.rec"
done <hostile.tsv
echo "options ok"
