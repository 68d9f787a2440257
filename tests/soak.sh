#!/usr/bin/env bash
# Rounds on end through the replay tool built with the sanitizers, every frame checked (--check) and every
# summary held to the screen and score its kind ends on. Clicks come from SEED; a round is one of
#   full    three people lit, played to the score screen, clicked back to the title
#   fuse    three people lit (the last one twice), resized mid-fuse
#   blast   three people lit, resized mid-blast, a click starting a new round
#   fallen  one person lit, two more among those its blast felled, resized
#   soak.sh REPLAY DATA_DIR WORK_DIR ROUNDS [SEED]
set -- "$(realpath "$1")" "$(realpath "$2")" "$(realpath -m "$3")" "${@:4}"
source "$(dirname "$0")/replay/common.sh"
rounds="$4" seed="${5:-1}"
kinds=(full fuse blast fallen fuse blast fallen fuse blast fallen)

# Writes round.script for a round of kind $1, in frame order as a recording must be, and prints the frames it
# needs. In the 64 x 48 picture the crowd stands between rows 8 and 38.
make_round() {
    awk -v kind="$1" -v seed="$2" '
        function at(low, high) { return low + int(rand() * (high - low + 1)) }
        function click(frame) { x = at(0, 63); y = at(8, 38); print frame " click " x " " y }
        # Anywhere the window messages reach, the window itself or far beyond.
        function move(frame) { print frame " move " at(-100, 200) " " at(-100, 200) }
        function resize(frame) {
            if (rand() < 0.5) print frame " window " at(1, 400) " " at(1, 300)
            print frame " size"
        }
        BEGIN {
            srand(seed)
            print "0 click " at(0, 63) " " at(0, 47)
            # Clicks a frame apart or more: two before one frame make one click.
            f1 = at(2, 10); f2 = at(f1 + 1, 20); f3 = at(f2 + 1, 30)
            move(at(1, 30))
            if (kind == "fallen") {
                click(f1)
                # The blast goes off 100 frames after the click; the felled lie around it.
                g = at(f1 + 110, f1 + 130)
                print g " click " x + at(-3, 3) " " y + at(-3, 3)
                print g + 2 " click " x + at(-3, 3) " " y + at(-3, 3)
                resize(end = at(g + 20, g + 140))
            } else {
                click(f1); click(f2); click(f3)
                if (kind == "fuse") print f3 + 1 " click " x " " y
                if (kind == "fuse") resize(end = at(f3 + 2, f1 + 100))
                if (kind == "blast") resize(at(f1 + 102, f3 + 140))
                if (kind == "blast") print (end = at(f3 + 141, f3 + 150)) " click 10 10"
                if (kind == "full") print (end = 1300) " click 10 10"
            }
            print end + 3 >"/dev/stderr"
        }' 2>frames | sort -s -n -k1,1 >round.script
    cat frames
}

fail_round() { fail "round $r ($kind, seed $round_seed): $*; its script is $work/round.script"; }
expect() {
    local pair
    for pair in "$@"; do
        [ "$(field round "${pair%=*}")" = "${pair#*=}" ] || fail_round "${pair%=*} is not ${pair#*=}: $(cat round.out)"
    done
}

start=$SECONDS
for ((r = 0; r < rounds; ++r)); do
    kind="${kinds[r % ${#kinds[@]}]}" round_seed=$((seed * 100000 + r))
    frames="$(make_round "$kind" "$round_seed")"
    run round --data "$data" --size 64x48 --check --frames "$frames" --script round.script --record round.rec
    [ "$status" = 0 ] || fail_round "exit code $status: $(cat round.err)"
    case "$kind" in
    full)
        expect state=0 score=0 standing=1000
        grep -Eq '^[0-9]+ outcome state 2 score [1-9][0-9]* explosions 3$' round.rec ||
            fail_round "the round never reached the score screen: $(grep outcome round.rec)" ;;
    blast) expect state=1 score=0 explosions=0 standing=1000 fusewalkersLeft=3 ;;
    *) expect state=0 score=0 standing=1000 ;;
    esac
    echo "round $r ($kind, $frames frames): ok"
done
echo "soak: $rounds rounds from seed $seed passed in $((SECONDS - start)) s"
