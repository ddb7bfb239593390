#!/bin/bash
# Times the built convertor (terminal dialogue, piped answers) against the
# reference program, which reads its input whole and writes it out whole or
# not at all, and against cp, which only moves the bytes; alternating, in one
# run, on a 5 KB puzzle and on the largest input a database holds. Prints the
# medians, the convertor's peak memory and whether each goal is met: the
# largest input within 1.1 times the reference's time, peak memory within its
# limit. It fails only on what noise on a busy machine cannot fake: peak
# memory over its limit, or the largest input's median ratio past 1.5 times
# the reference. The 5 KB puzzle's time is shown, not judged: a start-up of a
# few milliseconds is felt by no one.
#
#   bench/compare.sh build/default [runs]
#
# Needs GNU time (/usr/bin/time, Debian package `time`). The work folder is
# made under $TMPDIR (default /tmp), on the disk the user's puzzles would be on.
set -euo pipefail

build=$(realpath "$1")
runs=${2:-9}
program=$build/app/quintar-convertor
reference=$build/bench/quintar_reference_copy
timer=/usr/bin/time
[ -x "$timer" ] || { echo "needs GNU time at $timer (apt-get install time)" >&2; exit 2; }
for built in "$program" "$reference"; do
    [ -x "$built" ] || { echo "not built: $built" >&2; exit 2; }
done

# The terminal dialogue reads the piped answers; a GTK dialog would wait.
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

readonly kLargest=$((65535 * 4088))
readonly kMiB=$((1024 * 1024))

database_size() { # input bytes -> database bytes
    echo $((78 + (($1 + 4087) / 4088) * (8 + 4096)))
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.4f", a / b}'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > b)}'; }

# Runs "$@" under GNU time; prints wall seconds and peak resident kilobytes.
measure() {
    local start end
    start=$EPOCHREALTIME
    "$timer" -f %M -o rss.txt "$@" <answers.txt >/dev/null
    end=$EPOCHREALTIME
    echo "$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.6f", b - a}') $(tail -n 1 rss.txt)"
}

failed=0
printf '%-8s %10s %9s %9s %9s %7s %7s %10s %10s %4s\n' input bytes "convert s" \
    "ref s" "cp s" "vs ref" "vs cp" "peak KB" "limit KB" met
for size in 5120 "$kLargest"; do
    if [ "$size" = 5120 ]; then
        label="5 KB" goal="" most="" limit=$((8 * kMiB / 1024))
    else
        label=largest goal=1.1 most=1.5 limit=$((($(database_size "$size") + 8 * kMiB) / 1024))
    fi
    head -c "$size" /dev/urandom >in.puz
    expected=$(database_size "$size")
    printf 'in.puz\nno\n' >answers.txt
    converts=() references=() copies=() versus=() peak=0
    for ((run = 0; run <= runs; run++)); do
        rm -f in.pdb ref.pdb copy.puz
        read -r seconds rss < <(measure "$program")
        if [ "$(stat -c %s in.pdb 2>/dev/null || echo 0)" != "$expected" ]; then
            echo "the convertor did not write a whole database of $size bytes" >&2
            exit 1
        fi
        rm -f in.pdb
        read -r referenced _ < <(measure "$reference" in.puz ref.pdb)
        read -r copied _ < <(measure cp in.puz copy.puz)
        # The first round only warms the caches.
        [ "$run" -eq 0 ] && continue
        converts+=("$seconds") references+=("$referenced") copies+=("$copied")
        versus+=("$(ratio "$seconds" "$referenced")")
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    convert=$(printf '%s\n' "${converts[@]}" | median)
    copy=$(printf '%s\n' "${copies[@]}" | median)
    against=$(printf '%s\n' "${versus[@]}" | median)
    met=yes
    if [ "$peak" -gt "$limit" ] || { [ -n "$goal" ] && above "$against" "$goal"; }; then
        met=no
    fi
    if [ "$peak" -gt "$limit" ] || { [ -n "$most" ] && above "$against" "$most"; }; then
        failed=1
    fi
    printf '%-8s %10d %9.4f %9.4f %9.4f %7.2f %7.2f %10d %10d %4s\n' "$label" "$size" \
        "$convert" "$(printf '%s\n' "${references[@]}" | median)" "$copy" "$against" \
        "$(ratio "$convert" "$copy")" "$peak" "$limit" "$met"
done
echo "goals: the largest input within 1.1 times the reference's time and the database's size" \
    "plus 8 MiB of memory; the 5 KB puzzle within 8 MiB (its time is not judged)"
echo "fails on: memory over its limit, or the largest input past 1.5 times the reference"
exit "$failed"
