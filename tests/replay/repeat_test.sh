#!/usr/bin/env bash
# The same script played twice gives the same game, bit for bit.
source "$(dirname "$0")/common.sh"

for n in 1 2; do
    played "play$n" --data "$data" --size 256x192 --frames 160 --script "$here/round.script" \
        --dump-at 0,103,159 --out "play$n"
done
cmp -s play1.out play2.out || fail "the summaries differ: $(cat play1.out) / $(cat play2.out)"
for f in 0 103 159; do
    cmp -s "play1/state-$f.txt" "play2/state-$f.txt" || fail "the dumps after frame $f differ"
done
expect_header play1/state-159.txt explosions 3
echo "repeat ok"
