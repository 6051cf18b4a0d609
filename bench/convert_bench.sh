#!/bin/sh
# Converts a generated 16-channel recording with speech on every channel and, in the same
# run, copies the same file with cat, so that the two wall times are comparable. Reports
# both wall times and the converter's peak memory for two recording sizes: the peak must
# not grow with the size beyond the index the AVI files keep (16 bytes per chunk).
#
# usage: bench/convert_bench.sh [MEGABYTES...]      (default: 100 500)
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

# Seconds of wall time and peak resident kilobytes of a command, from GNU time.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

sizes=${*:-100 500}
printf '%-10s %-8s %-10s %-10s %-8s %-14s\n' size records copy_s convert_s ratio convert_peak_kB
for megabytes in $sizes; do
    recording=$work/rec.h264
    seconds=$((megabytes * 4))
    # shellcheck disable=SC2086
    "$bin/make-recording" -o "$recording" --loop-seconds $seconds $channels
    bytes=$(stat -c %s "$recording")
    sync
    set -- $(measure sh -c "cat '$recording' > '$work/copy.h264'")
    copy=$1
    rm -f "$work/copy.h264"
    mkdir -p "$work/out"
    set -- $(measure "$bin/kinorex-convert" -q -o "$work/out" "$recording")
    convert=$1 peak=$2
    records=$(( seconds * 16 * 50 ))
    ratio=$(echo "$convert $copy" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')
    printf '%-10s %-8s %-10s %-10s %-8s %-14s\n' "$((bytes / 1000000))MB" "$records" "$copy" \
        "$convert" "$ratio" "$peak"
    rm -rf "$work/out" "$recording"
done
