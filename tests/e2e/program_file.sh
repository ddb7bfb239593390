#!/bin/sh
# Usage: program_file.sh OBJDUMP MAJOR MINOR SOURCE BUILD CPACK PROBE.exe RUNNER...
# What a Windows user downloads: the zip CPack makes, whose one folder holds
# the program, the licence and a read-me in Windows line endings. The program
# file has no symbols or debug information, states the oldest Windows it
# runs on where Windows reads it and claims it in its manifest as a system
# it was made for, that manifest linked in with the UTF-8 code page that lets
# the ANSI calls carry every name; and started under Wine (RUNNER, the tests'
# runner and its prefix) by the probe, it shows its picker and ends on Exit.
set -u
objdump=$1
major=$2
minor=$3
source=$4
manifest=$source/res/QuintarConvertor.manifest
build=$5
cpack=$6
probe=$7
shift 7
. "$(dirname "$0")/common.sh"

name=QuintarConvertor-$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")-win64
"$cpack" -G ZIP --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
mkdir "$work/unpacked"
(cd "$work/unpacked" && "$(dirname "$cpack")/cmake" -E tar xf "$work/$name.zip") ||
    { echo "FAIL: no $name.zip to unpack"; exit 1; }
folder=$work/unpacked/$name
files=$(cd "$work/unpacked" && find . | sort | tr '\n' ' ')
[ "$files" = ". ./$name ./$name/LICENSE.txt ./$name/QuintarConvertor.exe ./$name/README.txt " ] ||
    fail "the zip holds: $files"
cr=$(printf '\r')
crlf() { sed "s/\$/$cr/" "$1"; }
crlf "$source/LICENSE" | cmp -s - "$folder/LICENSE.txt" || fail "LICENSE.txt is not LICENSE in CR LF"
tr -d '\r' <"$folder/README.txt" | crlf - | cmp -s - "$folder/README.txt" ||
    fail "README.txt: a line without CR LF"
program=$folder/QuintarConvertor.exe

"$objdump" -t "$program" | grep -qx 'no symbols' || fail "a symbol table"
sections=$("$objdump" -h "$program") || fail "no section table"
debug=$(printf '%s\n' "$sections" | awk '$2 ~ /^\.(debug|zdebug|stab)/ { print $2 }')
[ -z "$debug" ] || fail "debug sections:" $debug

header=$("$objdump" -p "$program") || fail "no headers"
field() {
    printf '%s\n' "$header" | awk -v name="$1" '$1 == name { print $2 }'
}
[ "$(field Subsystem)" = 00000002 ] || fail "not a GUI program: $(field Subsystem)"
for kind in Subsystem OSystem; do
    stated="$(field "Major${kind}Version").$(field "Minor${kind}Version")"
    [ "$stated" = "$major.$minor" ] || fail "$kind version $stated, not $major.$minor"
done

case "$major.$minor" in
6.0) guid=e2011457-1546-43c5-a5fe-008deee3d3f0 ;;
6.1) guid=35138b9a-5d96-4fbd-8e2d-a2440225f93a ;;
6.2) guid=4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 ;;
6.3) guid=1f676c76-80e1-4239-95bb-83d0f6d0da78 ;;
10.0) guid=8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a ;;
*) guid=unknown ;;
esac
grep -q -i "supportedOS Id=\"{$guid}\"" "$manifest" ||
    fail "the manifest does not claim Windows $major.$minor"

grep -a -q '<activeCodePage [^>]*>UTF-8</activeCodePage>' "$program" ||
    fail "the program's manifest asks for no UTF-8 code page"

# Started as a user starts it, from the folder unpacked: Wine's Z: drive is /.
"$@" "$probe" --exit-picker "Z:$(printf '%s' "$program" | tr / '\\')" ||
    fail "the program from the zip does not show its picker and end on Exit"

report "$name.zip: $(wc -c <"$program") bytes of program, Windows $major.$minor"
