#!/usr/bin/env bash
# A scripted round recorded through the routing layer replays from the
# recording alone to the very same game, bit for bit, and its outcome lines
# are checked; a recording that no longer matches is refused at its frame.
source "$(dirname "$0")/common.sh"

frames=0,101,104,500,794,899
played first --data "$data" --size 256x192 --frames 900 --script "$here/round.script" --record round.rec \
    --dump-at "$frames" --out first
grep -qx "window 256 192" round.rec || fail "the recording does not give the window's size"
grep -qx "0 display 256 192" round.rec || fail "the recording does not give the display the mouse is mapped against"
grep -q "^794 outcome state 2 score $(field first score) explosions 3$" round.rec ||
    fail "no outcome line for the round's end: $(grep outcome round.rec)"

played again --data "$data" --script round.rec --dump-at "$frames" --out again
for f in ${frames//,/ }; do
    cmp -s "first/state-$f.txt" "again/state-$f.txt" || fail "the replayed recording differs after frame $f"
done
expect_field again frames 900
expect_field again outcomesChecked 2

sed 's/^794 outcome state 2 score \([0-9]*\)/794 outcome state 2 score 1\1/' round.rec >tampered.rec
run tampered --data "$data" --script tampered.rec
[ "$status" = 3 ] || fail "a recording whose outcome differs gave exit code $status, expected 3"
grep -q "frame 794 differs from the recording" tampered.err || fail "the mismatch is not named: $(cat tampered.err)"
echo "record ok"
