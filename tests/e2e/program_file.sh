#!/bin/sh
# Usage: program_file.sh OBJDUMP PROGRAM.exe MAJOR MINOR MANIFEST
# The program file a user copies: no debug information in it, the oldest
# Windows it runs on stated where Windows reads it and claimed in its
# manifest as a system it was made for, and that manifest linked in with
# the UTF-8 code page that lets the ANSI calls carry every name.
set -u
objdump=$1
program=$2
major=$3
minor=$4
manifest=$5
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

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

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$program"): $(wc -c <"$program") bytes, Windows $major.$minor"
