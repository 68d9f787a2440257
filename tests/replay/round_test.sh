#!/usr/bin/env bash
# A whole scripted round recorded through the routing layer: its dumps match the recorded hashes bit for bit, so
# any change to the arithmetic shows; the recording alone replays to the same dumps; an altered one is refused.
# The hashes are the plain step's; rules changed on purpose: (cd dumps && sha256sum state-*.txt) > round.sha256
source "$(dirname "$0")/common.sh"

frames=1,101,102,103,104,150,300,500,793,794,1499
played round --data "$data" --size 256x192 --frames 1500 --script "$here/round.script" --record round.rec \
    --dump-at "$frames" --out dumps
score="$(field round score)"
[ "$score" -gt 1000 ] || fail "three blasts in the crowd scored only $score"
for expected in 1:state=1 101:explosions=0 102:explosions=1 104:explosions=3 793:state=1 794:state=2 \
    1499:state=2 "1499:score=$score" 1499:left=0; do
    word="${expected#*:}"
    expect_header "dumps/state-${expected%%:*}.txt" "${word%=*}" "${word#*=}"
done
(cd dumps && sha256sum --quiet -c "$here/round.sha256") || fail "the round's dumps differ from the recorded ones"

grep -qx "window 256 192" round.rec && grep -qx "0 display 256 192" round.rec ||
    fail "the recording lacks the window's size or the display the mouse is mapped against"
grep -q "^794 outcome state 2 score $score explosions 3$" round.rec || fail "no outcome for the round's end"
played again --data "$data" --script round.rec --dump-at "$frames" --out again
for f in ${frames//,/ }; do
    cmp -s "dumps/state-$f.txt" "again/state-$f.txt" || fail "the replayed recording differs after frame $f"
done
expect_field again frames 1500
expect_field again outcomesChecked 2

# Frames nothing looks at are not drawn, quiet screens take only their clock steps: every frame looked at comes out
# as when all are drawn, over a waiting score screen and title, and in a shared round shown from frame 5000.
{ printf 'from 5000\n0 click 0 0\n2 size\n'; grep -v '^#' "$here/round.script" | awk '{ $1 += 5000; print }'; } >late.rec
for run in "three $here/../web/three_rounds.script 951,952,961,1251,1707,1899" "late late.rec 5000,5001,5010,5300,5900"; do
    read -r name script shown <<<"$run"
    for mode in drawn every; do
        played "$name-$mode" --data "$data" --size 64x48 --frames 6000 --script "$script" --png-at "$shown" \
            --dump-at "$shown" --out "$name-$mode" $([ "$mode" = every ] && echo --every-frame)
    done
    diff -r "$name-drawn" "$name-every" >/dev/null || fail "$name: frames drawn only where looked at differ"
    cmp -s "$name-drawn.out" "$name-every.out" || fail "$name: $(cat "$name-drawn.out") against $(cat "$name-every.out")"
done

sed 's/^794 outcome state 2 score \([0-9]*\)/794 outcome state 2 score 1\1/' round.rec >tampered.rec
run tampered --data "$data" --script tampered.rec
[ "$status" = 3 ] || fail "a recording whose outcome differs gave exit code $status, expected 3"
grep -q "frame 794 differs from the recording" tampered.err || fail "the mismatch is not named: $(cat tampered.err)"
echo "round ok: score $score"
