#!/usr/bin/env bash
# Bad command lines and malformed scripts are refused before anything runs:
# exit code 2, one line on standard error saying what is wrong, no output.
# (The parsers' own tests go through every kind of bad line and option.)
source "$(dirname "$0")/common.sh"

# refused NAME PATTERN ARGS...
refused() {
    local name="$1" pattern="$2"
    shift 2
    run "$name" --data "$data" --size 64x48 --frames 5 --dump-at 4 --out "out-$name" "$@"
    [ "$status" = 2 ] || fail "$name: exit code $status, expected 2"
    [ "$(wc -l <"$name.err")" = 1 ] || fail "$name: expected one line on standard error, got: $(cat "$name.err")"
    grep -q -- "$pattern" "$name.err" || fail "$name: '$(cat "$name.err")' does not say '$pattern'"
    [ ! -s "$name.out" ] && [ ! -e "out-$name" ] || fail "$name: wrote output although refused"
}

printf '0 click 1 2\n\n# fine so far\n3 jump 1 2\n' >jump.script
refused jump "line 4" --script jump.script
printf '0 size\n-4 move 1 2\n' >negative.script
refused negative "line 2" --script negative.script
head -c 3000 /dev/urandom >noise.script
run noise --data "$data" --size 64x48 --frames 5 --script noise.script
[ "$status" = 0 ] || [ "$status" = 2 ] || fail "random bytes as a script gave exit code $status"

refused missing 'cannot read "does-not-exist.script"' --script does-not-exist.script
refused folder 'cannot read "."' --script .
refused option "--fast" --fast
refused size "--size" --size 1024by768
refused frames "--frames" --frames -1
refused late "never run" --png-at 5
refused nodata "--data" --data "$work/no-such-folder"
refused novalue "--script" --script
played help --help
grep -q "Usage: fusewalker-replay" help.out || fail "--help did not print the usage"
echo "errors ok"
