# Shared by the replay tests. Each test is run as: TEST.sh REPLAY DATA WORK
# (the replay program, the game's data folder, a scratch folder of its own).
set -u
replay="$1"
data="$2"
work="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run NAME ARGS...: runs the replay, keeping NAME.out, NAME.err and the exit code in $status.
run() {
    local name="$1"
    shift
    status=0
    "$replay" "$@" >"$name.out" 2>"$name.err" || status=$?
}

# field NAME KEY: a number from the JSON summary in NAME.out.
field() {
    sed -n "s/.*\"$2\":\(-\?[0-9]*\).*/\1/p" "$1.out"
}

expect_field() {
    local got
    got="$(field "$1" "$2")"
    [ "$got" = "$3" ] || fail "$1: $2 is '$got', expected $3 (summary: $(cat "$1.out"))"
}

# expect_header DUMP WORD VALUE: a value from the first line of a state dump.
expect_header() {
    local got
    got="$(head -n 1 "$1" | sed -n "s/.* $2 \([^ ]*\).*/\1/p")"
    [ "$got" = "$3" ] || fail "$1: $2 is '$got', expected $3 (header: $(head -n 1 "$1"))"
}
