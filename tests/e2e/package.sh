#!/bin/sh
# The Debian package CPack builds: what it holds and where, its control
# fields, and what lintian says of it (mode "lintian": no error).
#
#   package.sh contents|lintian BUILD CPACK
set -u
mode=$1
build=$2
cpack=$3
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

tools="dpkg-deb dpkg-shlibdeps readelf"
[ "$mode" = lintian ] && tools=lintian
for tool in $tools; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is missing (dpkg-dev, binutils, lintian: scripts/install-packages test)"
        exit 1
    }
done
. "$(dirname "$0")/common.sh"

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
deb=$(find "$work" -maxdepth 1 -name 'quintar-convertor_*.deb')
[ -f "$deb" ] || { echo "FAIL: no package in $work"; exit 1; }

if [ "$mode" = lintian ]; then
    # lintian keeps its scratch files under TMPDIR: in the scratch folder, not /tmp.
    TMPDIR="$work" lintian --allow-root --fail-on error --display-info --pedantic "$deb" || fail "lintian reports an error"
    report "lintian reports no error"
fi

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quintar-convertor ] || fail "package name $(field Package)"
[ "$(field Version)" = "$(cache CMAKE_PROJECT_VERSION)" ] || fail "version $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
# Worked out from the binaries: the program needs the C++ runtime, the
# desktop module GTK, the launcher GIO.
for library in libc6 libstdc++6 libgtk-3-0 libglib2.0-0; do
    field Depends | grep -q "\\b$library\\b" || fail "Depends has no $library: $(field Depends)"
done
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no maintainer or description"
# The menu, the type and the icon caches are the triggers' to update.
controls=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep . | sort | tr '\n' ' ')
[ "$controls" = "control md5sums " ] || fail "control files: $controls"

# Every file is root's and lies under /usr.
dpkg-deb --contents "$deb" >"$work/contents"
awk '$2 != "root/root" || $6 !~ /^\.\/usr\// { print; bad = 1 } END { exit bad }' \
    "$work/contents" || fail "files not root's or outside /usr"
dpkg-deb --extract "$deb" "$work/tree"
share=$work/tree/usr/share
for path in usr/bin/quintar-convertor usr/share/applications/quintar-convertor.desktop \
    usr/share/mime/packages/quintar-convertor.xml usr/share/man/man1/quintar-convertor.1.gz \
    usr/share/doc/quintar-convertor/copyright usr/share/doc/quintar-convertor/changelog.gz \
    usr/share/icons/hicolor/scalable/apps/quintar-convertor.svg; do
    [ -f "$work/tree/$path" ] || fail "no /$path"
done
for size in 16 24 32 48 64 128 256; do
    [ -f "$share/icons/hicolor/${size}x$size/apps/quintar-convertor.png" ] ||
        fail "no ${size}x$size icon"
done
grep -qx 'Exec=/usr/bin/quintar-convertor' "$share/applications/quintar-convertor.desktop" ||
    fail "the entry does not start /usr/bin/quintar-convertor"
[ -x "$work/tree/usr/bin/quintar-convertor" ] || fail "the program is not executable"
# Free to carry: the MIT licence, in Debian's machine-readable form.
copyright=$work/tree/usr/share/doc/quintar-convertor/copyright
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" &&
    grep -q '^License: Expat' "$copyright" && grep -q 'MIT License' "$copyright" ||
    fail "the copyright file does not grant the MIT licence"

# Stripped: no symbol table, no debugging information.
modules=""
for name in quintar-convertor-desktop.so quintar-convertor-launcher.so; do
    module=$(find "$work/tree/usr/lib" -name "$name")
    [ -n "$module" ] || fail "no $name"
    modules="$modules $module"
done
for binary in "$work/tree/usr/bin/quintar-convertor" $modules; do
    readelf -S -W "$binary" | grep -E -q '\.(symtab|debug_info) ' && fail "$binary is not stripped"
done

report "the package holds the program as Debian installs it"
