#!/bin/sh
# GTK is loaded only where a display may open. A terminal run converts with
# none of GTK and GIO mapped, and a Yes to the install question loads the
# launcher module and GIO, never GTK; modules are taken from beside the
# program only, and a program without them, or with broken ones, keeps to
# the terminal dialogue without a word.
set -u
program=$1
. "$(dirname "$0")/common.sh"
gtk_module=quintar-convertor-desktop.so
launcher_module=quintar-convertor-launcher.so
for module in "$gtk_module" "$launcher_module"; do
    [ -f "$(dirname "$program")/$module" ] || fail "no $module beside the program"
done

asks_to_install() { grep -q "installed to the handheld" "$work/terminal.out"; }
maps_hold() { grep -q -F -- "$2" "/proc/$1/maps" 2>/dev/null; }
gtk_shown() { maps_hold "$pid" libgtk-3 && maps_hold "$pid" "$gtk_module"; }
picker_shown() { xwininfo -root -tree 2>/dev/null | grep -q '"Quintar Puzzle Convertor"'; }
loaded() { grep -q -e "file=[^ ]*$1" "$work"/loaded.*; }

# No display: nothing of GTK, GIO or the modules is mapped while the puzzle
# is converted and the question asked; a Yes loads the launcher and GIO only.
mkdir -p "$work/terminal"
head -c 5000 /dev/urandom >"$work/terminal/a.puz"
mkfifo "$work/answers"
(cd "$work/terminal" && exec env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=files \
    LD_DEBUG_OUTPUT="$work/loaded" "$program" <"$work/answers" >"$work/terminal.out" \
    2>"$work/terminal.err") &
pid=$!
exec 3>"$work/answers"
printf 'a.puz\n' >&3
if wait_until 60 asks_to_install; then
    expect_database "$work/terminal/a.pdb" "$work/terminal/a.puz"
    for library in libgtk-3 libgdk-3 libgio-2 "$gtk_module" "$launcher_module"; do
        ! maps_hold "$pid" "$library" || fail "terminal: $library mapped before the Yes"
    done
else
    fail "terminal: no install question"
fi
printf 'yes\n' >&3
exec 3>&-
wait "$pid" || fail "terminal: exit status $?"
[ ! -s "$work/terminal.err" ] || fail "terminal: reported $(cat "$work/terminal.err")"
loaded "$launcher_module" || fail "terminal: the Yes did not load $launcher_module"
loaded libgio-2 || fail "terminal: the Yes did not load GIO"
for library in libgtk-3 libgdk-3 "$gtk_module"; do
    ! loaded "$library" || fail "terminal: the Yes loaded $library"
done

# A display: the module opens GTK and the picker waits for the user; the
# terminal dialogue would have read the end of input and ended at once.
if [ -n "${DISPLAY:-}" ]; then
    mkdir -p "$work/display"
    (cd "$work/display" && GSETTINGS_BACKEND=memory exec "$program" </dev/null \
        >"$work/display.out" 2>"$work/display.err") &
    pid=$!
    wait_until 60 gtk_shown || fail "display: GTK and the module not loaded"
    if command -v xwininfo >/dev/null; then
        wait_until 60 picker_shown || fail "display: no picker window"
    fi
    kill -0 "$pid" 2>/dev/null || fail "display: ended without waiting for the picker"
    [ ! -s "$work/display.out" ] || fail "display: printed $(cat "$work/display.out")"
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
for module in "$gtk_module" "$launcher_module"; do
    printf 'not a module' >"$work/elsewhere/$module"
done
printf 'x' >"$work/elsewhere/a.puz"
(cd "$work/elsewhere" && printf 'a.puz\nyes\n' | DISPLAY=${DISPLAY:-:99} \
    LD_LIBRARY_PATH="$work/elsewhere" timeout 20 "$alone" >"$work/alone.out" 2>"$work/alone.err") ||
    fail "alone: exit status $?"
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
[ ! -s "$work/alone.err" ] || fail "alone: reported $(cat "$work/alone.err")"

# Broken modules beside the program: the terminal dialogue serves, the Yes
# finds no installer, and nothing is said of either.
for module in "$gtk_module" "$launcher_module"; do
    printf 'not a module' >"$work/alone/$module"
done
rm -f "$work/elsewhere/a.pdb"
(cd "$work/elsewhere" && printf 'a.puz\nyes\n' | DISPLAY=${DISPLAY:-:99} timeout 20 "$alone" \
    >"$work/broken.out" 2>"$work/broken.err") || fail "broken: exit status $?"
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
[ ! -s "$work/broken.err" ] || fail "broken: reported $(cat "$work/broken.err")"

report
