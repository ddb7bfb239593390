#!/bin/sh
# The built desktop entry is valid, and so is the entry for a program whose
# folder holds blanks, quotes, backslashes or percent signs: the desktop
# starts that very program from it. (GLib looks for the program before it
# undoubles %%, so it starts none from a folder with a percent sign.)
#
#   desktop_entry.sh ENTRY TEMPLATE
set -u
entry=$1
template=$2
command -v desktop-file-validate >/dev/null || {
    echo "desktop-file-validate (desktop-file-utils) is missing"
    exit 77
}
. "$(dirname "$0")/common.sh"

desktop-file-validate "$entry" || fail "$entry is not valid"

for name in 'Puzzle Tools' "it's \"quoted\"" 'a$b`c\d' '100% (new)'; do
    folder="$work/$name/bin"
    mkdir -p "$folder"
    written="$work/quintar-convertor.desktop"
    cmake -DFOLDER="$folder" -DTEMPLATE="$template" -DOUTPUT="$written" \
        -P "$(dirname "$0")/desktop_entry.cmake" || fail "$name: no entry written"
    desktop-file-validate "$written" || fail "$name: the entry is not valid"
    # A stand-in for the program records that it was the one started.
    printf '#!/bin/sh\ntouch "$(dirname "$0")/started"\n' >"$folder/quintar-convertor"
    chmod +x "$folder/quintar-convertor"
    if command -v gio >/dev/null && [ "${name#*%}" = "$name" ]; then
        gio launch "$written" || fail "$name: gio cannot start the entry"
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            [ -f "$folder/started" ] && break
            sleep 0.2
        done
        [ -f "$folder/started" ] || fail "$name: the entry did not start $folder/quintar-convertor"
    fi
done

report "the desktop entries are valid and start the program"
