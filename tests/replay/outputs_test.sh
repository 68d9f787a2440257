#!/usr/bin/env bash
# The picture of a frame is written as a PNG of the window's size, the
# folders named on the command line are taken from where the replay started,
# and a data folder without the game's files still plays.
source "$(dirname "$0")/common.sh"

mkdir empty-data
played pictures --data empty-data --size 200x150 --frames 3 --png-at 0,2 --dump-at 2 --out shots
for png in shots/frame-0.png shots/frame-2.png; do
    # The signature, then the width and height in the header chunk.
    [ "$(od -An -N24 -tx1 "$png" | tr -d ' \n')" = 89504e470d0a1a0a0000000d49484452000000c800000096 ] ||
        fail "$png is not a 200 x 150 PNG"
done
[ ! -e empty-data/shots ] || fail "the output folder was made inside the data folder"
expect_header shots/state-2.txt state 0
expect_field pictures standing 1000
echo "outputs ok"
