#!/usr/bin/env bash
# The picture of a frame is written as a PNG of the window's size, the
# folders named on the command line are taken from where the replay started,
# and a data folder without the game's files still plays.
source "$(dirname "$0")/common.sh"

mkdir empty-data
run pictures --data empty-data --size 200x150 --frames 3 --png-at 0,2 --dump-at 2 --out shots
[ "$status" = 0 ] || fail "replay exited with $status: $(cat pictures.err)"
for f in 0 2; do
    png="shots/frame-$f.png"
    [ -s "$png" ] || fail "$png was not written"
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    size="$(od -An -j16 -N8 -tu1 "$png" | tr -s ' ' | sed 's/^ //')"
    [ "$size" = "0 0 0 200 0 0 0 150" ] || fail "$png header gives size bytes '$size', expected 200 x 150"
done
[ ! -e empty-data/shots ] || fail "the output folder was made inside the data folder"
expect_header shots/state-2.txt state 0
expect_field pictures standing 1000
echo "outputs ok"
