#!/bin/sh
# A Yes to the install question hands the databases over, in a desktop of
# its own made up here, whose MIME database types every *.pdb as a Palm
# e-book as shared-mime-info does, and where an office suite claims those:
# a program that claims the databases' own type, or that the user chose for
# it, is started with them; the office suite never is; without such a
# program the databases go on J-Pilot's install list where J-Pilot is set
# up; without either nothing happens. Nothing is said in any case.
set -u
program=$1
. "$(dirname "$0")/common.sh"
on_exit 'touch "$work/release"; sleep 0.3'
source=$(cd "$(dirname "$0")/../.." && pwd)
type=application/x-quintar-puzzle-database

for tool in update-mime-database update-desktop-database gio python3; do
    command -v $tool >/dev/null || {
        echo "$tool is missing (shared-mime-info, desktop-file-utils, libglib2.0-bin, python3)"
        exit 77
    }
done

# The desktop: the system's Palm types, the program's types not installed
# (as when it runs from its build folder), no display.
unset DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP JPILOT_HOME
system=$work/system
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$system"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config-system"
mkdir -p "$XDG_DATA_HOME/applications" "$system/mime/packages" "$XDG_CONFIG_HOME" \
    "$XDG_CONFIG_DIRS" "$work/calls"
cat >"$system/mime/packages/palm.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/vnd.palm">
    <comment>Palm OS database</comment>
    <glob pattern="*.pdb"/>
  </mime-type>
  <mime-type type="application/x-aportisdoc">
    <comment>AportisDoc document</comment>
    <sub-class-of type="application/vnd.palm"/>
    <magic><match type="string" value="TEXtREAd" offset="60"/></magic>
    <glob pattern="*.pdb"/>
  </mime-type>
</mime-info>
XML
update-mime-database "$system/mime" >/dev/null 2>&1 || fail "update-mime-database"
# The program's types, installed for the runs that say so.
mkdir -p "$work/installed/mime/packages"
cp "$source/res/quintar-convertor-mime.xml" "$work/installed/mime/packages/quintar-convertor.xml"
update-mime-database "$work/installed/mime" >/dev/null 2>&1 || fail "update-mime-database"

# Each start records the program's name, then its arguments, one a line,
# and stays until released.
cat >"$work/recorder" <<'SH'
#!/bin/sh
calls=$(dirname "$0")/calls
record=$(mktemp "$calls/.call.XXXXXX")
{ basename "$0"; for argument; do printf '%s\n' "$argument"; done; } >"$record"
mv "$record" "$calls/call.${record##*.}"
tries=0
while [ -d "$calls" ] && [ ! -e "$(dirname "$0")/release" ] && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
SH
chmod +x "$work/recorder"
ln -s recorder "$work/office"
ln -s recorder "$work/installer"
ln -s recorder "$work/chosen"

# entry NAME [TYPES]: a desktop entry for the recorder called NAME that
# claims TYPES, installed as a package installs one: GIO knows what entries
# claim from the cache that update-desktop-database makes.
entry() {
    {
        printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s %%F\n' "$1" "$work/$1"
        [ -z "${2:-}" ] || printf 'MimeType=%s\n' "$2"
    } >"$XDG_DATA_HOME/applications/quintar-test-$1.desktop"
    update-desktop-database "$XDG_DATA_HOME/applications" || fail "update-desktop-database"
}

# An office suite claims what LibreOffice Writer claims of Palm files, and
# the user made it their default for both.
entry office "application/vnd.palm;application/x-aportisdoc;"
printf '[Default Applications]\n%s=quintar-test-office.desktop\n%s=quintar-test-office.desktop\n' \
    application/vnd.palm application/x-aportisdoc >"$XDG_CONFIG_HOME/mimeapps.list"

# handoff NAME INPUT [SETUP]: the program in $work/NAME, answers piped in.
# It must not wait for what it starts, which holds on until the end of this
# script, and it says nothing after the install question.
handoff() {
    run "$1" "$2" "${3:-}"
    [ ! -s "$work/$1.err" ] || fail "$1: reported $(cat "$work/$1.err")"
    [ "$(tail -n 1 "$work/$1.out")" = "[Yes/No] " ] || fail "$1: said $(tail -n 1 "$work/$1.out")"
}

calls_made() { [ "$(ls "$work/calls" | wc -l)" -ge "$1" ]; }

calls_text() {
    for call in "$work"/calls/call.*; do
        [ -e "$call" ] && { cat "$call"; echo --; }
    done
}

nothing_started() {
    sleep 0.5
    [ -z "$(ls "$work/calls")" ] || fail "$1: started $(calls_text)"
    rm -f "$work"/calls/call.*
}

# Neither a program for the databases nor J-Pilot: nothing happens. The
# office suite is not started, nor where the program's type is installed and
# another package made it a kind of Palm database, by a parent or an alias.
for other in \
    parent:'<mime-type type="'$type'"><sub-class-of type="application/x-aportisdoc"/></mime-type>' \
    alias:'<mime-type type="application/x-aportisdoc"><alias type="'$type'"/></mime-type>'; do
    mkdir -p "$work/${other%%:*}/mime/packages"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n%s\n%s\n</mime-info>\n' \
        '<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">' "${other#*:}" \
        >"$work/${other%%:*}/mime/packages/other.xml"
    update-mime-database "$work/${other%%:*}/mime" >/dev/null 2>&1 ||
        fail "update-mime-database (${other%%:*})"
done
for name in none parent alias; do
    setup="export XDG_DATA_DIRS=$work/$name:$work/installed:$system"
    [ $name != none ] || setup=:
    mkdir -p "$work/$name"
    printf 'x' >"$work/$name/a.puz"
    handoff "$name" 'a.puz\nyes\n' "$setup"
    [ -f "$work/$name/a.pdb" ] || fail "$name: a.pdb missing"
    nothing_started "$name"
done

# J-Pilot set up: each database once at the end of its list, what was there
# kept, a last line without its newline mended, a path already there for the
# memory card not added again, nor one too long for J-Pilot to read.
mkdir -p "$HOME/.jpilot" "$work/jpilot"
deep=$(printf '%0250d/%0250d/%0250d/%0250d' 1 2 3 4)
mkdir -p "$work/jpilot/$deep"
printf 'x' >"$work/jpilot/a.puz"
printf 'y' >"$work/jpilot/b.puz"
printf 'z' >"$work/jpilot/$deep/c.puz"
printf '/old/one.pdb\n\001%s' "$work/jpilot/a.pdb" >"$HOME/.jpilot/jpilot.install"
handoff jpilot "a.puz b.puz a.puz missing.puz\nyes\nyes\n$deep/c.puz\nyes\n"
[ -f "$work/jpilot/$deep/c.pdb" ] || fail "jpilot: c.pdb missing"
expected=$(printf '/old/one.pdb\n\001%s\n%s\n' "$work/jpilot/a.pdb" "$work/jpilot/b.pdb" | od -c)
[ "$(od -c <"$HOME/.jpilot/jpilot.install")" = "$expected" ] ||
    fail "jpilot: the list holds $(od -c <"$HOME/.jpilot/jpilot.install")"
nothing_started jpilot

# $JPILOT_HOME, where it is set, is J-Pilot's home, and its list is made. A
# sync in progress holds J-Pilot's lock: the list is left alone while the
# lock is held, and written once it is released; one that holds it on is
# waited for a while, never for ever.
jpilot_home=$work/jpilot-home
mkdir -p "$jpilot_home/.jpilot"
cat >"$work/sync.py" <<'PY'
import fcntl, os, sys, time
lock = os.open(sys.argv[1] + "/sync_pid", os.O_RDWR | os.O_CREAT)
fcntl.lockf(lock, fcntl.LOCK_EX)
open(sys.argv[2] + ".held", "w").close()
deadline = time.monotonic() + 0.5
while time.monotonic() < deadline and not os.path.exists(sys.argv[1] + "/jpilot.install"):
    time.sleep(0.02)
if os.path.exists(sys.argv[1] + "/jpilot.install"):
    print("written while the lock was held")
PY
list=$jpilot_home/.jpilot/jpilot.install
for name in sync held; do
    mkdir -p "$work/$name"
    printf 'x' >"$work/$name/a.puz"
done
python3 "$work/sync.py" "$jpilot_home/.jpilot" "$work/sync" >"$work/lock.out" 2>&1 &
wait_until 30 test -e "$work/sync.held" || fail "sync: no lock taken"
handoff sync 'a.puz\nyes\n' "export JPILOT_HOME='$jpilot_home'"
wait
[ ! -s "$work/lock.out" ] || fail "sync: $(cat "$work/lock.out")"
[ "$(cat "$list")" = "$work/sync/a.pdb" ] || fail "sync: the list holds $(cat "$list")"
flock "$jpilot_home/.jpilot/sync_pid" -c \
    "touch '$work/held.held'; until [ -e '$work/release' ]; do sleep 0.1; done" &
wait_until 30 test -e "$work/held.held" || fail "held: no lock taken"
handoff held 'a.puz\nyes\n' "export JPILOT_HOME='$jpilot_home'"
[ "$(cat "$list")" = "$(printf '%s\n' "$work/sync/a.pdb" "$work/held/a.pdb")" ] ||
    fail "held: the list holds $(cat "$list")"
nothing_started held

# A program that claims the databases' type is started with every database
# as its own argument, in order, repeats kept; J-Pilot's list stays as it is.
entry installer "application/vnd.palm;$type;"
one="one by 'one' \$HOME"
mkdir -p "$work/$one"
printf 'x' >"$work/$one/b.puz"
printf 'y' >"$work/$one/a.puz"
printf 'z' >"$work/$one/b.dat"
handoff "$one" 'b.puz a.puz b.dat\nyes\nyes\n'
wait_until 60 calls_made 1 || fail "one: no start"
expected_call=$(printf '%s\n' installer "$work/$one/b.pdb" "$work/$one/a.pdb" "$work/$one/b.pdb" --)
[ "$(calls_text)" = "$expected_call" ] || fail "one: started with $(calls_text)"
rm -f "$work"/calls/call.*
[ "$(od -c <"$HOME/.jpilot/jpilot.install")" = "$expected" ] || fail "one: J-Pilot's list changed"

# After a failed batch the second start carries the first batch's database too.
mkdir -p "$work/again"
printf 'a' >"$work/again/a.puz"
printf 'b' >"$work/again/b.puz"
handoff again 'a.puz missing.puz\nyes\nb.puz\nyes\n'
wait_until 60 calls_made 2 || fail "again: not two starts"
first=$(printf '%s\n' installer "$work/again/a.pdb" --)
both=$(printf '%s\n' installer "$work/again/a.pdb" "$work/again/b.pdb" --)
case "$(calls_text)" in
"$first
$both" | "$both
$first") ;;
*) fail "again: started with $(calls_text)" ;;
esac
rm -f "$work"/calls/call.*

# The program the user chose for the type, as README says, claims nothing.
entry chosen
gio mime "$type" quintar-test-chosen.desktop >/dev/null || fail "gio mime"
mkdir -p "$work/chosen-run"
printf 'x' >"$work/chosen-run/a.puz"
handoff chosen-run 'a.puz\nyes\n'
wait_until 60 calls_made 1 || fail "chosen: no start"
[ "$(calls_text)" = "$(printf '%s\n' chosen "$work/chosen-run/a.pdb" --)" ] ||
    fail "chosen: started with $(calls_text)"
rm -f "$work"/calls/call.*

# An installer that cannot start is as silent as none.
sed -i 's|^Exec=.*|Exec=/nonexistent/installer %F|' \
    "$XDG_DATA_HOME/applications/quintar-test-chosen.desktop"
mkdir -p "$work/broken"
printf 'x' >"$work/broken/a.puz"
handoff broken 'a.puz\nyes\n'
[ -f "$work/broken/a.pdb" ] || fail "broken: a.pdb missing"

report "all hand-off runs passed"
