#!/usr/bin/env bash
# The replay's command line: bad options and scripts refused before anything runs (exit code 2, one line saying
# what is wrong, no output), and what it is asked for lands where it is asked.
source "$(dirname "$0")/common.sh"

# refused NAME PATTERN ARGS...
refused() {
    local name="$1" pattern="$2"
    shift 2
    says "$name" 2 "$pattern" --data "$data" --size 64x48 --frames 5 --dump-at 4 --out "out-$name" "$@"
    [ ! -s "$name.out" ] && [ ! -e "out-$name" ] || fail "$name: wrote output although refused"
}

printf '0 click 1 2\n\n# fine so far\n3 jump 1 2\n' >jump.script
refused jump '"jump.script" line 4' --script jump.script
refused missing 'cannot read "does-not-exist.script"' --script does-not-exist.script
refused option "--fast" --fast
refused size "--size" --size 1024by768
refused late "never run" --png-at 5
refused nodata "--data" --data "$work/no-such-folder"
refused linkalone "--script" --link http://host/
seq 0 69999 | sed 's/$/ click 1000 1000/' >big.script
refused linkbig '"big.script": the recording is 1528890 bytes as a link, and the page plays at most 1048576' \
    --script big.script --link http://host/
refused linkbad '"jump.script" line 4' --script jump.script --link http://host/
printf '# nothing\n' >empty.script
refused linkempty '"empty.script": the recording holds nothing to play' --script empty.script --link http://host/
printf 'pace 60\n0 click 1 2\n' >small.script
played link --script small.script --link 'http://host/page/?fps=30'
# The text "pace 60\n0 click 1 2\n" as raw DEFLATE, in base64url.
[ "$(cat link.out)" = "http://host/page/#round=K0hMTlUwM-AyUEjOyUzOVjBUMOICAA" ] || fail "the link is $(cat link.out)"
# Rounds from the hostile side: refused at their line, as links too, or played to their outcomes.
bash "$here/hostile_rounds.sh" hostile >hostile.tsv
while IFS=$'\t' read -r name expect; do
    if [ "${expect%% *}" = plays ]; then
        started="$(date +%s%N)"
        played "$name" --data "$data" --script "hostile/$name.rec"
        expect_field "$name" outcomesChecked "${expect#plays }"
        echo "$name: played in $((($(date +%s%N) - started) / 1000000)) ms"
        played "$name-link" --script "hostile/$name.rec" --link http://host/
    else
        refused "$name" "\"hostile/$name.rec\" $expect" --script "hostile/$name.rec"
        refused "$name-link" "\"hostile/$name.rec\" $expect" --script "hostile/$name.rec" --link http://host/
    fi
done <hostile.tsv
says help 0 "Usage: fusewalker-replay" --help

# Pictures of the window's size, in a folder named from where the replay started; an empty data folder plays.
mkdir empty-data
played pictures --data empty-data --size 200x150 --frames 3 --png-at 0,2 --out shots
for png in shots/frame-0.png shots/frame-2.png; do
    # The signature, then the width and height in the header chunk.
    [ "$(od -An -N24 -tx1 "$png" | tr -d ' \n')" = 89504e470d0a1a0a0000000d49484452000000c800000096 ] ||
        fail "$png is not a 200 x 150 PNG"
done
[ ! -e empty-data/shots ] || fail "the output folder was made inside the data folder"
expect_field pictures standing 1000
echo "command line ok"
