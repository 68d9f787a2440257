# Shared by the replay tests and the game's options test, each run as TEST.sh PROGRAM DATA_DIR WORK_DIR.
set -u
replay="$1" data="$2" work="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run NAME ARGS...: runs the replay, keeping NAME.out, NAME.err and the exit
# code in $status; played NAME ARGS... is a run that must succeed.
run() {
    local name="$1"
    shift
    status=0
    "$replay" "$@" >"$name.out" 2>"$name.err" || status=$?
}
played() {
    run "$@"
    [ "$status" = 0 ] || fail "$1: exit code $status: $(cat "$1.err")"
}
# says NAME CODE PATTERN ARGS...: a run ending with CODE, PATTERN in what it printed, and if refused one line.
says() {
    local name="$1" code="$2" pattern="$3"
    shift 3
    run "$name" "$@"
    [ "$status" = "$code" ] || fail "$name $*: exit code $status, expected $code: $(cat "$name.err")"
    [ "$code" = 0 ] || [ "$(wc -l <"$name.err")" = 1 ] || fail "$name $*: expected one line, got: $(cat "$name.err")"
    grep -q -- "$pattern" "$name.out" "$name.err" ||
        fail "$name $*: '$(cat "$name.out" "$name.err")' does not say '$pattern'"
}

# A number from the JSON summary in NAME.out, a value from the first line of a dump.
field() { sed -n "s/.*\"$2\":\(-\?[0-9]*\).*/\1/p" "$1.out"; }
header() { head -n 1 "$1" | sed -n "s/.* $2 \([^ ]*\).*/\1/p"; }
expect_field() { [ "$(field "$1" "$2")" = "$3" ] || fail "$1: $2 is not $3 in the summary: $(cat "$1.out")"; }
expect_header() { [ "$(header "$1" "$2")" = "$3" ] || fail "$1: $2 is not $3 in: $(head -n 1 "$1")"; }
