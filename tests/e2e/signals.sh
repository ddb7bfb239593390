#!/bin/sh
# Every signal that ends the program by default (SIGHUP: a closed terminal),
# at several moments of writing the largest database, with and without an
# old one: the program ends by that signal, and the folder holds the old
# database byte for byte, or the new one whole, and no other file. After
# SIGKILL, the next conversion leaves no other file.
set -u
program=$1
. "$(dirname "$0")/common.sh"

folder="$work/signals"
mkdir -p "$folder"
head -c $((65535 * 4088)) /dev/urandom >"$folder/in.puz"
head -c 50000 /dev/urandom >"$work/old.pdb"

# One whole conversion: the database every interrupted one must match.
run signals 'in.puz\nno\n'
mv "$folder/in.pdb" "$work/whole.pdb"
whole=$(size_of "$work/whole.pdb")

# The moments are states, not times, so a busy machine cannot move them:
# until the run being watched ends, the bytes its unfinished database holds.
written() {
    set -- "$folder"/.in.pdb.quintar-unfinished
    if [ -f "$1" ]; then size_of "$1"; else echo 0; fi
}
# reached BYTES: the unfinished database holds BYTES, or the run is over.
reached() { [ "$(written)" -ge "$1" ] || ! pgrep -P "$pid" >/dev/null; }

# Whether $folder/in.pdb is the new database whole; the timestamp in its
# header is the only part that may differ.
is_whole() {
    [ "$(size_of "$1")" = "$(size_of "$work/whole.pdb")" ] && cmp -s -i 44 "$1" "$work/whole.pdb" &&
        cmp -s -n 36 "$1" "$work/whole.pdb"
}

moment=0
for percent in 5 20 40 60 80 95; do
    for old in yes no; do
        moment=$((moment + 1))
        set -- INT TERM HUP QUIT ALRM USR1 USR2 XCPU VTALRM PROF
        shift $((moment % $#))
        signal=$1
        label="SIG$signal at $percent% ($old old database)"
        rm -f "$folder/in.pdb"
        answers='in.puz\nno\n'
        if [ "$old" = yes ]; then
            cp "$work/old.pdb" "$folder/in.pdb"
            answers='in.puz\nyes\nno\n'
        fi
        # Started apart from this shell, which would have it ignore SIGINT;
        # SIGQUIT would leave a core dump in the folder.
        (cd "$folder" && ulimit -c 0 && printf '%b' "$answers" |
            exec env --default-signal "$program" >/dev/null 2>&1; echo $? >"$work/status") &
        pid=$!
        wait_until 120 reached $((whole * percent / 100))
        pkill "-$signal" -P "$pid" 2>/dev/null || kill "-$signal" "$pid" 2>/dev/null
        wait "$pid"
        ended=$(cat "$work/status")
        [ "$ended" = 0 ] || [ "$(kill -l "$ended" 2>/dev/null)" = "$signal" ] ||
            fail "$label: exit status $ended"
        left=$(ls -A "$folder" | grep -v -x -e in.puz -e in.pdb)
        [ -z "$left" ] || fail "$label: left $left"
        if [ ! -e "$folder/in.pdb" ]; then
            [ "$old" = no ] || fail "$label: the old database is gone"
        elif ! is_whole "$folder/in.pdb"; then
            if [ "$old" = no ] || ! cmp -s "$folder/in.pdb" "$work/old.pdb"; then
                fail "$label: a database that is neither the old one nor the new one whole"
            fi
        fi
    done
done

# SIGKILL cannot be caught: what it leaves behind goes with the next
# conversion to the same database. Killed once its unfinished file holds
# bytes; again should the run have ended first.
for attempt in 1 2 3; do
    rm -f "$folder/in.pdb"
    (cd "$folder" && printf 'in.puz\nno\n' | exec "$program" >/dev/null 2>&1) &
    pid=$!
    wait_until 120 reached 1
    pkill -KILL -P "$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null
    wait "$pid"
    [ -z "$(ls -A "$folder" | grep -v -x -e in.puz -e in.pdb)" ] || break
done
[ -n "$(ls -A "$folder" | grep -v -x -e in.puz -e in.pdb)" ] || fail "SIGKILL: never left a file"
rm -f "$folder/in.pdb"
run signals 'in.puz\nno\n'
left=$(ls -A "$folder" | grep -v -x -e in.puz -e in.pdb)
[ -z "$left" ] || fail "SIGKILL: the next conversion left $left"
is_whole "$folder/in.pdb" || fail "SIGKILL: the next conversion is not whole"

report
