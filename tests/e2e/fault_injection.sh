#!/bin/sh
# Faults only the built program meets as a user's run does: a real full
# disk, limits on file size, memory and descriptors, volumes that keep no
# owners or modes, and one failed allocation anywhere. Every run must end
# with exit status 0, leave no partial database behind, and convert the rest
# of its batch. What needs root is skipped without it and says so.
set -u
program=$1
. "$(dirname "$0")/common.sh"

no_database() { [ ! -e "$1" ] || fail "a database was left: $1"; }

write_failure() { printf 'Conversion failed. Could not write file:\n%s' "$1"; }

# The disk fills up after a Yes to replacing a database: a tmpfs of 512 KB
# holds a 300 KB puzzle and its old database, not the new one. The old one
# stays byte for byte, nothing else is left, and the rest of the batch
# converts.
mkdir -p "$work/full"
if mount -t tmpfs -o size=512k tmpfs "$work/full" 2>/dev/null; then
    mounted="$mounted $work/full"
    head -c 300000 /dev/urandom >"$work/full/p.puz"
    head -c 100000 /dev/urandom >"$work/full/p.pdb"
    echo small >"$work/full/s.puz"
    cp "$work/full/p.pdb" "$work/old.pdb"
    run full 'p.puz s.puz\nyes\nno\n'
    expect_text full "$(write_failure p.pdb)"
    cmp -s "$work/full/p.pdb" "$work/old.pdb" || fail "full: the old database changed"
    expect_database "$work/full/s.pdb" "$work/full/s.puz"
    [ "$(ls -A "$work/full" | wc -l)" = 4 ] || fail "full: files left: $(ls -A "$work/full")"
else
    echo "SKIP: full disk on a tmpfs (mounting needs root)"
fi

# A file-size limit stands in for a full disk without root: the program
# ignores SIGXFSZ, so the write fails and is reported instead of killing it.
mkdir -p "$work/limit"
head -c 300000 /dev/urandom >"$work/limit/big.puz"
echo small >"$work/limit/small.puz"
run limit 'big.puz small.puz\nno\n' 'ulimit -f 200'
expect_text limit "$(write_failure big.pdb)"
no_database "$work/limit/big.pdb"
expect_database "$work/limit/small.pdb" "$work/limit/small.puz"

# Memory runs out while a large puzzle is read: too large for this machine,
# and the rest of the batch converts.
# AddressSanitizer needs more address space than the limit leaves.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    echo "SKIP: too little memory (under AddressSanitizer)"
else
    mkdir -p "$work/memory"
    truncate -s 100000000 "$work/memory/big.puz"
    echo small >"$work/memory/small.puz"
    run memory 'big.puz small.puz\nno\n' 'ulimit -v 60000'
    expect_text memory "$(printf 'Conversion failed. The following puzzle file is too large:\nbig.puz')"
    no_database "$work/memory/big.pdb"
    expect_database "$work/memory/small.pdb" "$work/memory/small.puz"
fi

# A line of 300 MB of zero bytes at the picker is too many files: read in
# passing, never held, it fits in far less memory than itself.
if [ -z "${ASAN_OPTIONS:-}" ]; then
    mkdir -p "$work/zeros"
    (cd "$work/zeros" && ulimit -v 150000 && { head -c 300000000 /dev/zero; echo; } |
        timeout 60 "$program" >"$work/zeros.out" 2>&1) || fail "zeros: exit status $?"
    expect_text zeros "Conversion failed. Too many files are selected."
fi

# Descriptors run out: the code page's converter and the time zone file are
# read when the program starts, so the header still says Caf\xE9 in the
# locale's code page and holds local time (a zone five and a half hours east
# of UTC, compiled here), never Caf_ and UTC.
# zic lives in /usr/sbin, which a user's PATH may not hold.
mkdir -p "$work/descriptors" "$work/zones"
printf 'Zone Test/Quintar 5:30 - QNT\n' >"$work/zones/quintar.zone"
zic=$(command -v zic || echo /usr/sbin/zic)
if [ -n "${ASAN_OPTIONS:-}" ]; then
    # AddressSanitizer needs descriptors of its own.
    echo "SKIP: too few descriptors (under AddressSanitizer)"
elif "$zic" -d "$work/zones" "$work/zones/quintar.zone" 2>/dev/null; then
    cafe=$(printf 'Caf\303\251')
    printf 'x' >"$work/descriptors/$cafe.puz"
    printf '%s.puz\nno\n' "$cafe" >"$work/descriptors.in"
    before=$(date +%s)
    # Room for what the program holds open while it converts, the puzzle and
    # the new database, and no more: descriptors 3 and 4, whatever this test
    # was handed below them.
    (cd "$work/descriptors" && exec <"$work/descriptors.in" >"$work/descriptors.out" 2>&1 &&
        exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&- && ulimit -n 5 &&
        LC_ALL=fr_FR.UTF-8 TZ=":$work/zones/Test/Quintar" exec "$program") ||
        fail "descriptors: exit status $?"
    database="$work/descriptors/$cafe.pdb"
    [ "$(head -c 4 "$database" | od -An -tx1 | tr -d ' ')" = 436166e9 ] ||
        fail "descriptors: the name is $(head -c 4 "$database" | od -An -tx1)"
    stamp=$(od -An --endian=big -tu4 -j36 -N4 "$database" | tr -d ' ')
    expected=$((before + 2082844800 + 19800))
    [ $((stamp - expected)) -ge 0 ] && [ $((stamp - expected)) -lt 60 ] ||
        fail "descriptors: the time stamp is $stamp, local time would be $expected"
else
    fail "descriptors: zic cannot compile a time zone"
fi

# Volumes that keep no owners or modes, as users mount them: a FAT32 stick
# through fusefat, which refuses fchmod (ENOSYS), and an exFAT partition
# mounted for one user (54321) and written by another (54322), refused
# fchmod and fchown (EPERM). On each a new database is written and one
# replaced after Yes and kept after No, every byte as on a local disk when
# the volume is mounted again, nothing left beside them; read-only, the
# volume takes none. Without root, /dev/fuse or the tools that is skipped,
# and in CI a failure.
PATH=$PATH:/usr/sbin:/sbin
lacking=""
[ "$(id -u)" = 0 ] && [ -c /dev/fuse ] || lacking="root and /dev/fuse"
for tool in fusefat mount.exfat-fuse mkfs.vfat mkfs.exfat; do
    command -v "$tool" >/dev/null || lacking="${lacking:+$lacking, }$tool"
done
# Same bytes but the two time stamps (offsets 36 to 43).
same_database() {
    cmp -s -n 36 "$1" "$2" && cmp -s -i 44 "$1" "$2" || fail "$1: not as written on a local disk"
}
# mount_volume KIND rw|ro: its image on $work/KIND, there when this returns.
mount_volume() {
    if [ "$1" = fat ]; then
        # fusefat writes only when told that it may.
        fusefat -f -o "$(echo "$2" | sed 's/rw/rw+/')" "$work/fat.img" "$work/fat" >/dev/null 2>&1 &
        daemon=$!
    else
        mount.exfat-fuse -o "uid=54321,gid=54321,umask=0,$2" "$loop" "$work/exfat" >/dev/null 2>&1
    fi
    mounted="$mounted $work/$1"
    wait_until 10 mountpoint -q "$work/$1" || fail "$1: not mounted with $2"
}
# unmount_volume KIND: its image whole again once this returns.
unmount_volume() {
    umount "$work/$1" || fail "$1: not unmounted"
    [ "$1" != fat ] || wait "$daemon"
}
# convert_on KIND USER INPUT: the program run on the volume by USER.
convert_on() {
    (cd "$work/$1" && printf '%b' "$3" |
        timeout 20 setpriv --reuid="$2" --regid="$2" --clear-groups "$work/bin/${program##*/}" \
            >"$work/$1.out" 2>"$work/$1.err") || fail "$1: exit status $?"
}
if [ -n "$lacking" ]; then
    [ -n "${CI:-}" ] && fail "volumes: $lacking missing" ||
        echo "SKIP: FAT and exFAT volumes ($lacking missing)"
else
    # Where every user reaches it: the program, the volumes, the reference.
    chmod 711 "$work"
    mkdir -m 755 "$work/bin" "$work/fat" "$work/exfat"
    cp "$program" "$work/bin/"
    mkdir -p "$work/reference"
    for name in new yes no ro; do head -c 10000 /dev/urandom >"$work/reference/$name.puz"; done
    run reference 'new.puz yes.puz\nno\n'
    truncate -s 64M "$work/fat.img" "$work/exfat.img"
    mkfs.vfat -F 32 "$work/fat.img" >/dev/null
    mkfs.exfat "$work/exfat.img" >/dev/null
    # exfat-fuse as root mounts only a block device.
    loop=$(losetup -f --show "$work/exfat.img") && on_exit "losetup -d $loop"
    for volume in fat:0 exfat:54322; do
        kind=${volume%:*}
        mount_volume "$kind" rw
        cp "$work/reference/"*.puz "$work/$kind/"
        head -c 5000 /dev/urandom >"$work/$kind/yes.pdb"
        head -c 5000 /dev/urandom >"$work/$kind/no.pdb"
        cp "$work/$kind/no.pdb" "$work/$kind-no.pdb"
        convert_on "$kind" "${volume#*:}" 'new.puz yes.puz no.puz\nyes\nno\nno\n'
        unmount_volume "$kind"
        mount_volume "$kind" ro
        same_database "$work/$kind/new.pdb" "$work/reference/new.pdb"
        same_database "$work/$kind/yes.pdb" "$work/reference/yes.pdb"
        cmp -s "$work/$kind/no.pdb" "$work/$kind-no.pdb" || fail "$kind: the kept database changed"
        [ "$(ls -A "$work/$kind" | wc -l)" = 7 ] || fail "$kind: files left: $(ls -A "$work/$kind")"
        convert_on "$kind" "${volume#*:}" 'ro.puz\n'
        expect_text "$kind" "$(printf 'Conversion failed. Could not create file:\nro.pdb')"
        unmount_volume "$kind"
    done
fi

# Memory runs out at one allocation of a run, each in turn from main on, in
# the program and in the libraries it calls (the library given as the second
# argument fails it): a run that replaces a database after Yes and answers No
# to the install question. Each run ends normally, leaves nothing beside the
# database, and the database is the old one or a whole new one.
failing_malloc=${2:-}
if [ -z "$failing_malloc" ]; then
    echo "SKIP: one failed allocation (no allocation failing library in this build)"
else
    mkdir -p "$work/allocation"
    echo puzzle >"$work/allocation/in.puz"
    run allocation 'in.puz\nno\n'
    mv "$work/allocation/in.pdb" "$work/allocation.pdb"
    echo old database >"$work/allocation.old"
    count=0
    until grep -q 'failing allocation was not reached' "$work/allocation.err" 2>/dev/null; do
        count=$((count + 1))
        cp "$work/allocation.old" "$work/allocation/in.pdb"
        run allocation 'in.puz\nyes\nno\n' \
            "export QUINTAR_FAILING_ALLOCATION=$count LD_PRELOAD=$failing_malloc"
        [ "$status" -eq 0 ] || echo "  (when allocation $count failed)"
        database="$work/allocation/in.pdb"
        cmp -s "$database" "$work/allocation.old" ||
            { cmp -s -n 36 "$database" "$work/allocation.pdb" &&
                cmp -s -i 44 "$database" "$work/allocation.pdb"; } ||
            fail "allocation $count: the database is neither the old one nor the new one"
        [ "$(ls -A "$work/allocation" | wc -l)" = 2 ] ||
            fail "allocation $count: files left: $(ls -A "$work/allocation")"
        [ "$count" -lt 10000 ] || { fail "allocation: no run ends before allocation $count"; break; }
    done
    [ "$count" -gt 1 ] || fail "allocation: no allocation was failed"
fi

report
