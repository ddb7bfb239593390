#!/bin/bash
# Converts a 5 KB puzzle, a 1 MB file and the largest input the format holds
# with the built program (terminal dialogue, piped answers), and copies each
# with cp, alternating, several times; prints the median ratio of the wall
# times and the program's peak resident memory.
#
#   bench/compare_with_cp.sh build/default/app/quintar-convertor [runs]
#
# Needs GNU time (/usr/bin/time, Debian package `time`). The work folder is
# made under $TMPDIR (default /tmp); both commands read from the page cache
# and write a new file there.
set -euo pipefail

program=$(realpath "$1")
runs=${2:-9}
timer=/usr/bin/time
[ -x "$timer" ] || { echo "needs GNU time at $timer (apt-get install time)" >&2; exit 2; }

# The terminal dialogue reads the piped answers; a GTK dialog would wait.
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

readonly kLargest=$((65535 * 4088))
readonly kMemoryAllowance=$((8 * 1024 * 1024))

database_size() { # input bytes -> database bytes
    echo $((78 + (($1 + 4087) / 4088) * (8 + 4096)))
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Runs "$@" under GNU time; prints wall seconds and peak resident kilobytes.
measure() {
    local start end
    start=$EPOCHREALTIME
    "$timer" -f %M -o rss.txt "$@" <answers.txt >/dev/null
    end=$EPOCHREALTIME
    echo "$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.6f", b - a}') $(tail -n 1 rss.txt)"
}

failed=0
printf '%-8s %10s %10s %10s %6s %12s %12s %4s\n' input bytes \
    "program s" "cp s" ratio "peak KB" "limit KB" met
for size in 5120 1048576 "$kLargest"; do
    case $size in 5120) label="5 KB" ;; 1048576) label="1 MB" ;; *) label=largest ;; esac
    head -c "$size" /dev/urandom >in.puz
    expected=$(database_size "$size")
    printf 'in.puz\nno\n' >answers.txt
    ratios=() times=() copies=() peak=0
    for ((run = 0; run <= runs; run++)); do
        rm -f in.pdb copy.puz
        read -r seconds rss < <(measure "$program")
        if [ "$(stat -c %s in.pdb 2>/dev/null || echo 0)" != "$expected" ]; then
            echo "the program did not write a whole database of $size bytes" >&2
            exit 1
        fi
        rm -f in.pdb
        read -r copied _ < <(measure cp in.puz copy.puz)
        # The first pair only warms the caches.
        [ "$run" -eq 0 ] && continue
        times+=("$seconds") copies+=("$copied")
        ratios+=("$(awk -v p="$seconds" -v c="$copied" 'BEGIN {printf "%.4f", p / c}')")
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    ratio=$(printf '%s\n' "${ratios[@]}" | median)
    limit=$(((expected + kMemoryAllowance) / 1024))
    ok=yes
    if [ "$peak" -gt "$limit" ] || { [ "$size" = "$kLargest" ] &&
        awk -v r="$ratio" 'BEGIN {exit !(r > 1.5)}'; }; then
        ok=no
        failed=1
    fi
    printf '%-8s %10d %10.4f %10.4f %6.2f %12d %12d %4s\n' "$label" "$size" \
        "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${copies[@]}" | median)" \
        "$ratio" "$peak" "$limit" "$ok"
done
echo "goals: the largest input within 1.5 times cp's wall time; peak memory within the database size plus 8 MB"
exit "$failed"
