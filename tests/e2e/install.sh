#!/bin/sh
# `cmake --install` puts the program, its desktop entry and its icons where
# the desktop looks for them, under names that agree with each other, and the
# desktop module (when the build has one) where the installed program finds it.
set -u
build=$1
module_name=${2:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
entry="$prefix/share/applications/quintar-convertor.desktop"
[ -f "$entry" ] || fail "no desktop entry"
program=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -x "$prefix/bin/$program" ] || fail "the entry starts $program, which is not installed"
for size in 16 32; do
    png="$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png"
    [ -f "$png" ] || fail "no ${size}x$size icon $icon"
    # The PNG header holds width and height as 32-bit big-endian numbers.
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 0 $size 0 0 0 $size" ] ||
        fail "$png is not ${size}x$size"
done
grep -q '^Type=Application$' "$entry" || fail "the entry is no application"

# A Yes to the install question makes the terminal dialogue load the module.
if [ -n "$module_name" ]; then
    module=$(find "$prefix" -name "$module_name")
    [ -n "$module" ] || fail "no $module_name installed"
    mkdir "$prefix/work"
    printf 'x' >"$prefix/work/a.puz"
    (cd "$prefix/work" && printf 'a.puz\nyes\n' | env -u DISPLAY -u WAYLAND_DISPLAY \
        LD_DEBUG=files LD_DEBUG_OUTPUT="$prefix/loaded" timeout 20 "$prefix/bin/$program" \
        >/dev/null) || fail "the installed program failed"
    [ -f "$prefix/work/a.pdb" ] || fail "the installed program converted nothing"
    grep -q "file=$module " "$prefix"/loaded.* || fail "the installed program did not load $module"
fi

[ "$failures" -eq 0 ] && echo "installed as the desktop expects"
exit "$failures"
