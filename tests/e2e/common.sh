# Shared by the end-to-end scripts: a scratch folder removed on exit, the
# failure count and the closing line; with $program set, runs of the built
# program with piped answers, as a scripting user would, and checks of what
# it left behind.
[ -z "${program:-}" ] || program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
work=$(mktemp -d)
trap 'eval "$cleanups"; umount_all; rm -rf "$work"' EXIT
failures=0
mounted=""
cleanups=""
# A home of the script's own: nothing it starts writes into the user's.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_STATE_HOME="$work/home/.local/state" XDG_CACHE_HOME="$work/home/.cache"
export XDG_RUNTIME_DIR="$work/home/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# on_exit COMMANDS: runs COMMANDS when the script ends, before $work goes.
on_exit() { cleanups="$1; $cleanups"; }

umount_all() {
    for point in $mounted; do umount "$point" 2>/dev/null; done
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run NAME INPUT [SETUP]: runs the program in $work/NAME with INPUT on
# standard input, after the shell commands SETUP (limits, a mask).
run() {
    mkdir -p "$work/$1"
    (cd "$work/$1" && eval "${3:-:}" &&
        printf '%b' "$2" | timeout 20 "$program" >"$work/$1.out" 2>"$work/$1.err")
    status=$?
    [ "$status" -eq 0 ] || fail "$1: exit status $status"
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false at the
# deadline. The deadline is generous; a busy machine only makes it poll longer.
wait_until() {
    tries=$(($1 * 10))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

expect_text() {
    grep -q -F -- "$2" "$work/$1.out" || fail "$1: missing text: $2"
}

size_of() { wc -c <"$1" | tr -d ' '; }

# The size of the database of an input of $1 bytes.
database_size() { echo $((78 + (($1 + 4087) / 4088) * 4104)); }

# expect_database FILE INPUT: FILE is a whole database of INPUT's bytes.
expect_database() {
    [ -f "$1" ] || { fail "missing database $1"; return; }
    [ "$(size_of "$1")" = "$(database_size "$(size_of "$2")")" ] || fail "$1: size"
    [ "$(dd if="$1" bs=1 skip=60 count=8 2>/dev/null)" = puzlQntr ] ||
        fail "$1: type and creator"
}

# report [SUMMARY]: says SUMMARY when nothing failed; exits with the count.
report() {
    [ "$failures" -eq 0 ] && echo "${1:-all end-to-end runs passed}"
    exit "$failures"
}
