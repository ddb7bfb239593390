#!/bin/sh
# Runs the built program with piped answers, as a scripting user would.
set -u
program=$1
. "$(dirname "$0")/common.sh"

# Exit at the first picker, with standard input closed: one line on standard
# error says that nothing was done.
mkdir -p "$work/cancel"
(cd "$work/cancel" && timeout 20 "$program" </dev/null >"$work/cancel.out" 2>"$work/cancel.err") ||
    fail "cancel: exit status $?"
expect_text cancel "Quintar Puzzle Convertor"
expect_text cancel "Files of type: Across Lite (*.puz)"
[ -z "$(ls -A "$work/cancel")" ] || fail "cancel: files were written"
[ "$(cat "$work/cancel.err")" = "quintar-convertor: standard input ended before the first \
answer: nothing was asked and nothing converted" ] || fail "cancel: said $(cat "$work/cancel.err")"

# Two puzzles, one with a blank in its name; install question answered.
mkdir -p "$work/convert"
head -c 5000 /dev/urandom >"$work/convert/a.puz"
printf 'x' >"$work/convert/Sunday Puzzle.puz"
run convert 'a.puz "Sunday Puzzle.puz"\nyes\n'
[ "$(size_of "$work/convert/a.pdb")" = $((78 + 2 * 4104)) ] || fail "convert: a.pdb size"
[ "$(size_of "$work/convert/Sunday Puzzle.pdb")" = $((78 + 4104)) ] || fail "convert: size"
[ "$(dd if="$work/convert/a.pdb" bs=1 skip=60 count=8 2>/dev/null)" = puzlQntr ] ||
    fail "convert: type and creator"
[ "$(head -c 13 "$work/convert/Sunday Puzzle.pdb")" = "Sunday Puzzle" ] || fail "convert: name"
expect_text convert "Do you want them to be installed to the handheld"
[ ! -s "$work/convert.err" ] || fail "convert: said $(cat "$work/convert.err")"
# Nothing echoes piped answers: the program ends its last line itself.
[ "$(tail -c 1 "$work/convert.out" | od -An -c | tr -d ' ')" = '\n' ] ||
    fail "convert: the output does not end in a newline"

# An open failure stops the batch and brings the picker back.
mkdir -p "$work/again"
printf 'a' >"$work/again/a.puz"
printf 'c' >"$work/again/c.puz"
run again 'a.puz b.puz c.puz\nno\n\n'
expect_text again "$(printf 'Conversion failed. Could not open following puzzle file:\nb.puz')"
[ -f "$work/again/a.pdb" ] || fail "again: a.pdb missing"
[ ! -e "$work/again/c.pdb" ] || fail "again: c.pdb written after the failure"
[ "$(grep -c '^Folder: ' "$work/again.out")" = 2 ] || fail "again: picker not shown twice"

# A declined overwrite leaves the old database alone and asks nothing more.
mkdir -p "$work/decline"
printf 'new' >"$work/decline/a.puz"
printf 'old' >"$work/decline/a.pdb"
run decline 'a.puz\nno\n'
[ "$(cat "$work/decline/a.pdb")" = old ] || fail "decline: old database changed"
expect_text decline "$(printf 'The following file already exists:\n%s/decline/a.pdb\nDo you wish to overwrite it?' "$work")"
grep -q "installed to the handheld" "$work/decline.out" && fail "decline: install question asked"

# A folder whose name holds escape sequences and a line of its own: the
# question names it escaped, so it can neither set the title, clear the
# screen nor print an answer nobody gave.
sneaky=$(printf 'x\033]0;owned\007\033[2J\n[Yes/No] yes')
mkdir -p "$work/$sneaky"
printf 'new' >"$work/$sneaky/a.puz"
printf 'old' >"$work/$sneaky/a.pdb"
(cd "$work/$sneaky" && printf 'a.puz\nno\n' | timeout 20 "$program" >"$work/sneaky.out" 2>&1) ||
    fail "sneaky: exit status $?"
! grep -q "$(printf '\033')" "$work/sneaky.out" || fail "sneaky: an escape reached the terminal"
expect_text sneaky 'x\x1B]0;owned\x07\x1B[2J\x0A[Yes/No] yes/a.pdb'
[ "$(grep -c '^\[Yes/No\]' "$work/sneaky.out")" = 1 ] || fail "sneaky: a second answer line"
[ "$(cat "$work/$sneaky/a.pdb")" = old ] || fail "sneaky: the old database changed"

# A FIFO named like a puzzle is a file that cannot be opened, not a hang.
mkdir -p "$work/fifo"
mkfifo "$work/fifo/pipe.puz"
run fifo 'pipe.puz\n'
expect_text fifo "$(printf 'Could not open following puzzle file:\npipe.puz')"

report
