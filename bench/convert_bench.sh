#!/bin/sh
# Converts a generated 16-channel recording with speech on every channel and, in the same
# run, copies the same file with cat, so that the two wall times are comparable. Reports
# both wall times and the converter's peak memory for two recording sizes: the peak must
# not grow with the size beyond the index the AVI files keep (16 bytes per chunk).
#
# usage: bench/convert_bench.sh [MEGABYTES...]      (default: 100 500)
# Columns: the recording, its records (16 channels x 25 video + 25 voice frames a second),
# both wall times and their ratio with a warm page cache, then both again each ending with
# sync, and the converter's peak resident memory.
# Needs a release build (build/bin/make-recording, build/bin/kinorex-convert) and
# /usr/bin/time (Debian package "time"). Work files go to $TMPDIR (default /tmp).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
fixtures=$root/tests/fixtures
work=$(mktemp -d "${TMPDIR:-/tmp}/kinorex-convert-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

for tool in "$bin/make-recording" "$bin/kinorex-convert" /usr/bin/time; do
    [ -x "$tool" ] || { echo "missing $tool (release build? package 'time'?)" >&2; exit 2; }
done

# Sixteen channels over the three PAL clips and the four speech files: about 250 KB of
# recording per second.
channels=""
clips="pal_704x576_25fps.264 pal_352x288_25fps.264 pal_704x288_25fps.264"
n=1
while [ $n -le 16 ]; do
    clip=$(echo $clips | cut -d' ' -f$(( (n - 1) % 3 + 1 )))
    channels="$channels --channel $n:$fixtures/$clip:$fixtures/speech_$(( (n - 1) % 4 + 1 )).s16"
    n=$((n + 1))
done

ratio() {
    echo "$1 $2" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }'
}

# Seconds of wall time and peak resident kilobytes of a command, from GNU time.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

sizes=${*:-100 500}
printf '%-8s %-9s %-8s %-10s %-7s %-12s %-13s %-7s %-10s\n' size records copy_s convert_s ratio \
    copy_sync_s convert_sync_s ratio peak_kB
for megabytes in $sizes; do
    recording=$work/rec.h264
    seconds=$((megabytes * 4))
    # shellcheck disable=SC2086
    "$bin/make-recording" -o "$recording" --loop-seconds $seconds $channels
    bytes=$(stat -c %s "$recording")
    mkdir -p "$work/out"
    sync
    # Warm page cache: both read the recording from memory and leave their output there.
    set -- $(measure sh -c "cat '$recording' > '$work/copy.h264'")
    copy=$1
    rm -f "$work/copy.h264"
    set -- $(measure "$bin/kinorex-convert" -q -o "$work/out" "$recording")
    convert=$1 peak=$2
    rm -f "$work"/out/*
    sync
    # The same, each done only once its output is on disk.
    set -- $(measure sh -c "cat '$recording' > '$work/copy.h264' && sync")
    copySync=$1
    rm -f "$work/copy.h264"
    sync
    set -- $(measure sh -c "'$bin/kinorex-convert' -q -o '$work/out' '$recording' && sync")
    convertSync=$1
    printf '%-8s %-9s %-8s %-10s %-7s %-12s %-13s %-7s %-10s\n' "$((bytes / 1000000))MB" \
        "$((seconds * 16 * 50))" "$copy" "$convert" "$(ratio "$convert" "$copy")" \
        "$copySync" "$convertSync" "$(ratio "$convertSync" "$copySync")" "$peak"
    rm -rf "$work/out" "$recording"
done
