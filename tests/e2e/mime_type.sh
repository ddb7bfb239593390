#!/bin/sh
# Once the installed types are in the MIME database, a desktop names puzzles
# "Across Lite puzzle", by name or, without one, by content; a type for
# *.puz that another package defines wins over it. The databases the
# program writes are "Palm crossword database", not the Palm e-books that
# every *.pdb is by name.
#
#   mime_type.sh BUILD PREFIX
set -u
build=$1
prefix=$2
for tool in update-mime-database gio; do
    command -v $tool >/dev/null || {
        echo "$tool is missing (shared-mime-info, libglib2.0-bin)"
        exit 77
    }
done
. "$(dirname "$0")/staging.sh"
type=application/x-crossword

# update_database FOLDER: the folder's MIME database, made from its packages.
update_database() {
    update-mime-database "$1" >"$stage/update.log" 2>&1 || {
        cat "$stage/update.log"
        fail "update-mime-database $1"
    }
}

update_database "$root/share/mime"
grep -q "<comment>Across Lite puzzle</comment>" "$root/share/mime/$type.xml" 2>/dev/null ||
    fail "$type is not described as an Across Lite puzzle"

# type_of FILE [DATA_DIRS]: the type GIO, and so GTK's picker, gives FILE.
type_of() {
    XDG_DATA_HOME="$stage/nowhere" XDG_DATA_DIRS="${2:-$root/share:/usr/share}" \
        gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}

mkdir "$stage/work"
cd "$stage/work" || exit 1
printf 'x' >Monday.puz
printf 'x' >"SUNDAY PUZZLE.PUZ"
# An Across Lite file: a checksum, then its magic.
printf '\001\002ACROSS&DOWN\000' >crossword
printf 'x' >notes.txt
for file in Monday.puz "SUNDAY PUZZLE.PUZ" crossword; do
    [ "$(type_of "$file")" = "$type" ] || fail "$file is $(type_of "$file"), not $type"
done
[ "$(type_of notes.txt)" = text/plain ] || fail "notes.txt is $(type_of notes.txt)"

database=application/x-quintar-puzzle-database
grep -q "<comment>Palm crossword database</comment>" "$root/share/mime/$database.xml" 2>/dev/null ||
    fail "$database is not described as a Palm crossword database"
printf 'Monday.puz\nno\n' | env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 \
    "$root/bin/quintar-convertor" >/dev/null 2>&1 || fail "the installed program failed"
# An AportisDoc e-book: its type and creator at offset 60.
{ printf '%060d' 0; printf 'TEXtREAd'; } >book.pdb
[ "$(type_of Monday.pdb)" = "$database" ] ||
    fail "Monday.pdb is $(type_of Monday.pdb), not $database"
[ "$(type_of book.pdb)" = application/x-aportisdoc ] || fail "book.pdb is $(type_of book.pdb)"

# Another package's type for *.puz, at the default weight, wins.
other=$stage/other
mkdir -p "$other/mime/packages"
cat >"$other/mime/packages/other.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-other-puzzle">
    <glob pattern="*.puz"/>
  </mime-type>
</mime-info>
XML
update_database "$other/mime"
[ "$(type_of Monday.puz "$root/share:$other:/usr/share")" = application/x-other-puzzle ] ||
    fail "the installed type does not give way to another one for *.puz"

report "puzzles get the type $type, databases $database"
