#!/usr/bin/env bash
# A size message in the middle of a round goes back to the title with a
# fresh crowd; the next click starts a new round on it.
source "$(dirname "$0")/common.sh"

printf '0 click 128 96\n2 click 128 92\n120 size\n140 click 10 10\n' >size.script
played size --data "$data" --size 256x192 --frames 145 --script size.script --dump-at 119,120,139,140,144 --out dumps

expect_header dumps/state-119.txt state 1
expect_header dumps/state-119.txt explosions 1
[ "$(heads dumps/state-119.txt 0)" -gt 0 ] || fail "the blast knocked nobody down before the size message"
expect_header dumps/state-120.txt state 0
expect_header dumps/state-120.txt score 0
[ "$(heads dumps/state-120.txt 1)" = 1000 ] || fail "not everybody stands after the size message"
# The title does not move the crowd: the fresh crowd is still as the reset laid it.
cmp -s <(tail -n +2 dumps/state-120.txt) <(tail -n +2 dumps/state-139.txt) || fail "the crowd moved on the title screen"
expect_header dumps/state-140.txt state 1
for expected in state=1 standing=1000 fusewalkersLeft=3 score=0; do
    expect_field size "${expected%=*}" "${expected#*=}"
done
echo "size ok"
