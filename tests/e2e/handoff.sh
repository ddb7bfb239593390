#!/bin/sh
# A Yes to the install question starts the program the freedesktop MIME
# database names for .pdb files, in a desktop of its own made up here.
set -u
program=$1
. "$(dirname "$0")/common.sh"
on_exit 'touch "$work/release"; sleep 0.3'

command -v update-mime-database >/dev/null || {
    echo "update-mime-database (shared-mime-info) is missing"
    exit 77
}

# The desktop: one MIME type for .pdb, one recording installer, no display.
unset DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/system"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config-system"
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_DATA_DIRS/mime/packages" "$XDG_CONFIG_HOME" \
    "$XDG_CONFIG_DIRS" "$work/calls"
cat >"$XDG_DATA_DIRS/mime/packages/palm.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/vnd.palm">
    <comment>Palm OS database</comment>
    <glob pattern="*.pdb"/>
  </mime-type>
</mime-info>
XML
update-mime-database "$XDG_DATA_DIRS/mime" || fail "update-mime-database"

# Each start records its arguments, one a line, and stays until released.
cat >"$work/recorder" <<'SH'
#!/bin/sh
calls=$(dirname "$0")/calls
record=$(mktemp "$calls/.call.XXXXXX")
for argument; do printf '%s\n' "$argument"; done >"$record"
mv "$record" "$calls/call.${record##*.}"
tries=0
while [ -d "$calls" ] && [ ! -e "$(dirname "$0")/release" ] && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
SH
chmod +x "$work/recorder"
cat >"$XDG_DATA_HOME/applications/quintar-test-installer.desktop" <<EOF2
[Desktop Entry]
Type=Application
Name=Test Installer
Exec=$work/recorder %F
EOF2

associate() {
    printf '[Default Applications]\napplication/vnd.palm=quintar-test-installer.desktop\n' \
        >"$XDG_CONFIG_HOME/mimeapps.list"
}

# handoff NAME INPUT: the program in $work/NAME, answers piped in. It must
# not wait for the installer, which holds on until the end of this script,
# and it reports nothing about it.
handoff() {
    run "$1" "$2"
    [ ! -s "$work/$1.err" ] || fail "$1: reported $(cat "$work/$1.err")"
}

calls_made() { [ "$(ls "$work/calls" | wc -l)" -ge "$1" ]; }

calls_text() {
    for call in "$work"/calls/call.*; do
        [ -e "$call" ] && { cat "$call"; echo --; }
    done
}

# No association: the question is answered, nothing starts, the run ends well.
mkdir -p "$work/none"
printf 'x' >"$work/none/a.puz"
handoff none 'a.puz\nyes\n'
[ -f "$work/none/a.pdb" ] || fail "none: a.pdb missing"
sleep 0.5
[ -z "$(ls "$work/calls")" ] || fail "none: something was started"

associate

# One start, with every database as its own argument, in order, repeats kept.
one="one by 'one' \$HOME"
mkdir -p "$work/$one"
printf 'x' >"$work/$one/b.puz"
printf 'y' >"$work/$one/a.puz"
printf 'z' >"$work/$one/b.dat"
handoff "$one" 'b.puz a.puz b.dat\nyes\nyes\n'
wait_until 60 calls_made 1 || fail "one: no start"
expected=$(printf '%s\n' "$work/$one/b.pdb" "$work/$one/a.pdb" "$work/$one/b.pdb" --)
[ "$(calls_text)" = "$expected" ] || fail "one: started with $(calls_text)"
rm -f "$work"/calls/call.*

# After a failed batch the second start carries the first batch's database too.
mkdir -p "$work/again"
printf 'a' >"$work/again/a.puz"
printf 'b' >"$work/again/b.puz"
handoff again 'a.puz missing.puz\nyes\nb.puz\nyes\n'
wait_until 60 calls_made 2 || fail "again: not two starts"
first=$(printf '%s\n' "$work/again/a.pdb" --)
both=$(printf '%s\n' "$work/again/a.pdb" "$work/again/b.pdb" --)
case "$(calls_text)" in
"$first
$both" | "$both
$first") ;;
*) fail "again: started with $(calls_text)" ;;
esac
rm -f "$work"/calls/call.*

# An installer that cannot start is as silent as none.
sed -i 's|^Exec=.*|Exec=/nonexistent/installer %F|' \
    "$XDG_DATA_HOME/applications/quintar-test-installer.desktop"
mkdir -p "$work/broken"
printf 'x' >"$work/broken/a.puz"
handoff broken 'a.puz\nyes\n'
[ -f "$work/broken/a.pdb" ] || fail "broken: a.pdb missing"

report "all hand-off runs passed"
