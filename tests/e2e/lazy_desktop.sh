#!/bin/sh
# GTK is loaded only where a display may open. A terminal run converts with
# none of GTK and GIO mapped, and a Yes to the install question loads the
# launcher module and GIO, never GTK; modules are taken from beside the
# program only, and a program without them, or with broken ones, keeps to
# the terminal dialogue after one line on standard error that says why the
# dialogs cannot be shown, and a notification where notify-send is there.
set -u
program=$1
. "$(dirname "$0")/common.sh"
gtk_module=quintar-convertor-desktop.so
launcher_module=quintar-convertor-launcher.so
for module in "$gtk_module" "$launcher_module"; do
    [ -f "$(dirname "$program")/$module" ] || fail "no $module beside the program"
done

# Stands in for notify-send, first on the path of every run: records its
# arguments, one a line.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/notified"\n' "$work" >"$work/bin/notify-send"
chmod +x "$work/bin/notify-send"
PATH="$work/bin:$PATH"
export PATH

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
    ! grep -q "cannot show the dialogs" "$work/display.err" || fail "display: $(cat "$work/display.err")"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
else
    echo "no display: the GTK start was not checked"
fi

# expect_reason NAME TEXT: the run NAME said once, on standard error, that it
# cannot show the dialogs, naming TEXT.
expect_reason() {
    [ "$(grep -c '^quintar-convertor: cannot show the dialogs: ' "$work/$1.err")" = 1 ] ||
        fail "$1: no reason given once: $(cat "$work/$1.err")"
    grep -q -F -- "$2" "$work/$1.err" || fail "$1: the reason does not name $2"
}

# alone NAME DISPLAY [ANSWERS]: runs the program beside no module but what
# the case put there, from another folder, on the X display DISPLAY, with
# ANSWERS on standard input or, without, /dev/null, as a menu starts it.
alone() {
    rm -f "$work/elsewhere/a.pdb" "$work/notified"
    input=/dev/null
    if [ $# -gt 2 ]; then
        input="$work/$1.in"
        printf '%b' "$3" >"$input"
    fi
    (cd "$work/elsewhere" && exec env -u WAYLAND_DISPLAY DISPLAY="$2" \
        LD_LIBRARY_PATH="$work/elsewhere" timeout 20 "$alone" <"$input" >"$work/$1.out" \
        2>"$work/$1.err") || fail "$1: exit status $?"
}

# The program alone, with a display named: the terminal dialogue serves,
# after the reason. A module in the working folder or on the library path
# is never taken.
mkdir -p "$work/alone" "$work/elsewhere"
cp "$program" "$work/alone/"
alone="$work/alone/$(basename "$program")"
for module in "$gtk_module" "$launcher_module"; do
    printf 'not a module' >"$work/elsewhere/$module"
done
printf 'x' >"$work/elsewhere/a.puz"
display=${DISPLAY:-:99}
alone alone "$display" 'a.puz\nyes\n'
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
expect_reason alone "no $gtk_module in $work/alone or "
[ "$(wc -l <"$work/alone.err")" = 1 ] || fail "alone: more than the reason"

# Started from a menu: nothing to read. The reason, then that nothing was
# done, and the reason as a notification too.
alone menu "$display"
expect_reason menu "no $gtk_module in $work/alone or "
grep -q "standard input ended before the first answer" "$work/menu.err" ||
    fail "menu: the end of input was not said"
if [ -f "$work/notified" ]; then
    grep -q -F "no $gtk_module in $work/alone or " "$work/notified" ||
        fail "menu: the notification lacks the reason: $(cat "$work/notified")"
else
    fail "menu: no notification"
fi

# Broken modules beside the program: the reason is the loader's; the Yes
# finds no installer, and says nothing of it.
for module in "$gtk_module" "$launcher_module"; do
    printf 'not a module' >"$work/alone/$module"
done
alone broken "$display" 'a.puz\nyes\n'
expect_database "$work/elsewhere/a.pdb" "$work/elsewhere/a.puz"
expect_reason broken "$work/alone/$gtk_module"
[ "$(wc -l <"$work/broken.err")" = 1 ] || fail "broken: more than the reason"

# A module that needs a library the system lacks: the library is named.
sed 's/libgtk-3\.so\.0/libgtk-9.so.0/' "$(dirname "$program")/$gtk_module" >"$work/alone/$gtk_module"
alone library "$display"
expect_reason library "$work/alone/$gtk_module: libgtk-9.so.0"

# The module loads, but no display opens: the display is named.
cp "$(dirname "$program")/$gtk_module" "$work/alone/"
alone closed :65000
expect_reason closed "no display opens (DISPLAY=:65000)"

report
