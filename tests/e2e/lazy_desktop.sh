#!/bin/sh
# GTK is loaded only where a display may open. A terminal run converts with
# none of it mapped and loads the desktop module only after a Yes to the
# install question; the module is taken from beside the program only, and a
# program without it keeps to the terminal dialogue.
set -u
program=$1
. "$(dirname "$0")/common.sh"
module_name=quintar-convertor-desktop.so
module="$(dirname "$program")/$module_name"
[ -f "$module" ] || fail "no $module_name beside the program"

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false at the deadline.
wait_until() {
    tries=$(($1 * 10))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

asks_to_install() { grep -q "installed to the handheld" "$work/terminal.out"; }
maps_hold() { grep -q -F -- "$2" "/proc/$1/maps" 2>/dev/null; }
gtk_shown() { maps_hold "$pid" libgtk-3 && maps_hold "$pid" "$module_name"; }

# No display: nothing of GTK, GIO or the module is mapped while the puzzle
# is converted and the question asked; a Yes loads the module to look for
# the installer.
mkdir -p "$work/terminal"
head -c 5000 /dev/urandom >"$work/terminal/a.puz"
mkfifo "$work/answers"
(cd "$work/terminal" && exec env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=files \
    LD_DEBUG_OUTPUT="$work/loaded" "$program" <"$work/answers" >"$work/terminal.out" \
    2>"$work/terminal.err") &
pid=$!
exec 3>"$work/answers"
printf 'a.puz\n' >&3
if wait_until 20 asks_to_install; then
    expect_database "$work/terminal/a.pdb" "$work/terminal/a.puz"
    for library in libgtk-3 libgdk-3 libgio-2 "$module_name"; do
        ! maps_hold "$pid" "$library" || fail "terminal: $library mapped before the Yes"
    done
else
    fail "terminal: no install question"
fi
printf 'yes\n' >&3
exec 3>&-
wait "$pid" || fail "terminal: exit status $?"
[ ! -s "$work/terminal.err" ] || fail "terminal: reported $(cat "$work/terminal.err")"
grep -q "file=$module " "$work"/loaded.* || fail "terminal: the Yes did not load $module"

# A display: the module opens GTK and the picker waits for the user; the
# terminal dialogue would have read the end of input and ended at once.
if [ -n "${DISPLAY:-}" ]; then
    mkdir -p "$work/display"
    (cd "$work/display" && GSETTINGS_BACKEND=memory exec "$program" </dev/null \
        >"$work/display.out" 2>"$work/display.err") &
    pid=$!
    wait_until 20 gtk_shown || fail "display: GTK and the module not loaded"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "display: ended without waiting for the picker"
    [ ! -s "$work/display.out" ] || fail "display: printed $(cat "$work/display.out")"
    if command -v xwininfo >/dev/null; then
        xwininfo -root -tree | grep -q '"Quintar Puzzle Convertor"' ||
            fail "display: no picker window"
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
else
    echo "no display: the GTK start was not checked"
fi

# The program alone, with a display named: no module beside it is no error.
# One in the working folder or on the library path is never taken.
mkdir -p "$work/alone" "$work/elsewhere"
cp "$program" "$work/alone/"
alone="$work/alone/$(basename "$program")"
printf 'not a module' >"$work/elsewhere/$module_name"
printf 'x' >"$work/elsewhere/a.puz"
(cd "$work/elsewhere" && printf 'a.puz\nyes\n' | DISPLAY=${DISPLAY:-:99} \
    LD_LIBRARY_PATH="$work/elsewhere" timeout 20 "$alone" >"$work/alone.out" 2>"$work/alone.err") ||
    fail "alone: exit status $?"
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
[ ! -s "$work/alone.err" ] || fail "alone: reported $(cat "$work/alone.err")"

# A broken module beside the program is reported; the terminal dialogue serves.
printf 'not a module' >"$work/alone/$module_name"
rm -f "$work/elsewhere/a.pdb"
(cd "$work/elsewhere" && printf 'a.puz\nno\n' | DISPLAY=${DISPLAY:-:99} timeout 20 "$alone" \
    >"$work/broken.out" 2>"$work/broken.err") || fail "broken: exit status $?"
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
grep -q "cannot load the desktop module $work/alone/$module_name" "$work/broken.err" ||
    fail "broken: not reported: $(cat "$work/broken.err")"

finish
