#!/bin/sh
# `cmake --install` puts the program, its desktop entry naming it by its
# full path, its icons at every size, the type for puzzles and the manual
# page where the desktop and man look for them, and the desktop module (when
# the build has one) where the installed program finds it.
#
#   install.sh BUILD PREFIX [MODULE_FILE_NAME]
set -u
build=$1
prefix=$2
module_name=${3:-}
. "$(dirname "$0")/staging.sh"

entry="$root/share/applications/quintar-convertor.desktop"
[ -f "$entry" ] || fail "no desktop entry"
program=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
[ "$program" = "$prefix/bin/quintar-convertor" ] || fail "the entry starts $program"
[ "$(sed -n 's/^TryExec=//p' "$entry")" = "$program" ] || fail "TryExec is not $program"
[ -x "$stage$program" ] || fail "the entry starts $program, which is not installed"
grep -q '^Type=Application$' "$entry" || fail "the entry is no application"

for size in 16 24 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x$size/apps/$icon.png"
    [ -f "$png" ] || { fail "no ${size}x$size icon $icon"; continue; }
    # The PNG header holds width and height as 32-bit big-endian numbers.
    [ "$(od -An --endian=big -tu4 -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] ||
        fail "$png is not ${size}x$size"
done
grep -q '<svg ' "$root/share/icons/hicolor/scalable/apps/$icon.svg" 2>/dev/null ||
    fail "no scalable icon $icon"

grep -q 'glob pattern="\*\.puz"' "$root/share/mime/packages/quintar-convertor.xml" 2>/dev/null ||
    fail "no type for *.puz"
gzip -dc "$root/share/man/man1/quintar-convertor.1.gz" 2>/dev/null |
    grep -q '^\.TH QUINTAR-CONVERTOR 1 ' || fail "no manual page quintar-convertor(1)"
grep -q '^Copyright: ' "$root/share/doc/quintar-convertor/copyright" 2>/dev/null ||
    fail "no copyright file"

# A Yes to the install question makes the terminal dialogue load the module.
if [ -n "$module_name" ]; then
    module=$(find "$root" -name "$module_name")
    [ -n "$module" ] || fail "no $module_name installed"
    mkdir "$stage/work"
    printf 'x' >"$stage/work/a.puz"
    (cd "$stage/work" && printf 'a.puz\nyes\n' | env -u DISPLAY -u WAYLAND_DISPLAY \
        LD_DEBUG=files LD_DEBUG_OUTPUT="$stage/loaded" timeout 20 "$stage$program" \
        >/dev/null) || fail "the installed program failed"
    [ -f "$stage/work/a.pdb" ] || fail "the installed program converted nothing"
    grep -q "file=$module " "$stage"/loaded.* || fail "the installed program did not load $module"
fi

report "installed as the desktop expects"
