#!/usr/bin/env bash
# A size message in the middle of a round goes back to the title with a
# fresh crowd; the next click starts a new round on it.
source "$(dirname "$0")/common.sh"

cat >size.script <<'SCRIPT'
0 click 128 96
2 click 128 92
120 size
140 click 10 10
SCRIPT
run size --data "$data" --size 256x192 --frames 145 --script size.script --dump-at 119,120,139,140,144 --out dumps
[ "$status" = 0 ] || fail "replay exited with $status: $(cat size.err)"

expect_header dumps/state-119.txt state 1
expect_header dumps/state-119.txt explosions 1
fallen="$(awk 'NR > 1 && $1 % 15 == 0 && $8 == 0' dumps/state-119.txt | wc -l)"
[ "$fallen" -gt 0 ] || fail "the blast knocked nobody down before the size message"

expect_header dumps/state-120.txt state 0
expect_header dumps/state-120.txt score 0
standing="$(awk 'NR > 1 && $1 % 15 == 0 && $8 == 1' dumps/state-120.txt | wc -l)"
[ "$standing" = 1000 ] || fail "after the size message $standing people stand, expected 1000"
# The title does not move the crowd: the fresh crowd is still as the reset laid it.
cmp -s <(tail -n +2 dumps/state-120.txt) <(tail -n +2 dumps/state-139.txt) || fail "the crowd moved on the title screen"

expect_header dumps/state-140.txt state 1
expect_field size state 1
expect_field size standing 1000
expect_field size fusewalkersLeft 3
expect_field size score 0
echo "size ok"
