#!/bin/sh
# Converts a generated 16-channel recording with speech on every channel and, in the same
# run, copies the same file, so that the wall times are comparable:
#   warm: the recording in the page cache; `dd bs=1M` against the converter;
#   cold: caches dropped before each run, `sync` inside the timing; `cat > COPY; sync`
#         against the converter followed by `sync`.
# Each is repeated and the median is reported, with the ratios and the converter's peak
# resident memory. Dropping caches needs root; without it the cold columns read "-".
#
# usage: bench/convert_bench.sh [-r RUNS] [-f avi|mp4|mkv] [MEGABYTES...]
#        (default: -r 5, -f avi, 500)
# Needs a release build (build/bin/make-recording, build/bin/kinorex-convert) and
# /usr/bin/time (Debian package "time"). Work files go to $TMPDIR (default /tmp).
set -eu

runs=5
format=avi
while [ $# -ge 2 ]; do
    case $1 in
        -r) runs=$2 ;;
        -f) format=$2 ;;
        *) break ;;
    esac
    shift 2
done

bench=convert-bench
. "$(dirname "$0")/bench_setup.sh"
require "$bin/make-recording" "$bin/kinorex-convert" /usr/bin/time

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

median() {
    tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "-"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

canDropCaches() {
    [ -w /proc/sys/vm/drop_caches ]
}

dropCaches() {
    sync
    echo 3 > /proc/sys/vm/drop_caches
}

# Seconds of wall time and peak resident kilobytes of a command, from GNU time.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

printf '%-7s %-6s %-8s %-6s %-8s %-8s %-6s %-8s  (%s; medians of %s runs; load %s)\n' \
    size dd_s conv_s ratio cat_s conv_s ratio peak_kB "$format" "$runs" "$(cut -d' ' -f1-3 /proc/loadavg)"
for megabytes in ${*:-500}; do
    recording=$work/rec.h264
    seconds=$((megabytes * 4))
    # shellcheck disable=SC2086
    "$bin/make-recording" -o "$recording" --loop-seconds $seconds $channels
    bytes=$(stat -c %s "$recording")
    mkdir -p "$work/out"
    cat "$recording" >/dev/null
    dd= convert= catSync= convertSync= peak=0
    run=1
    while [ "$run" -le "$runs" ]; do
        sync
        set -- $(measure dd if="$recording" of="$work/copy.h264" bs=1M status=none)
        dd="$dd $1"
        rm -f "$work/copy.h264"
        sync
        set -- $(measure "$bin/kinorex-convert" -q -f "$format" -o "$work/out" "$recording")
        convert="$convert $1"
        [ "$2" -gt "$peak" ] && peak=$2
        rm -f "$work"/out/*
        if canDropCaches; then
            dropCaches
            set -- $(measure sh -c "cat '$recording' > '$work/copy.h264' && sync")
            catSync="$catSync $1"
            rm -f "$work/copy.h264"
            dropCaches
            set -- $(measure sh -c "'$bin/kinorex-convert' -q -f $format -o '$work/out' '$recording' && sync")
            convertSync="$convertSync $1"
            [ "$2" -gt "$peak" ] && peak=$2
            rm -f "$work"/out/*
            cat "$recording" >/dev/null
        fi
        run=$((run + 1))
    done
    echo "runs: dd$dd | convert$convert | cat+sync$catSync | convert+sync$convertSync" >&2
    ddMedian=$(echo "$dd" | median)
    convertMedian=$(echo "$convert" | median)
    catMedian=$(echo "$catSync" | median)
    convertSyncMedian=$(echo "$convertSync" | median)
    printf '%-7s %-6s %-8s %-6s %-8s %-8s %-6s %-8s\n' "$((bytes / 1000000))MB" \
        "$ddMedian" "$convertMedian" "$(ratio "$convertMedian" "$ddMedian")" \
        "$catMedian" "$convertSyncMedian" "$(ratio "$convertSyncMedian" "$catMedian")" "$peak"
    rm -rf "$work/out" "$recording"
done
