#!/bin/sh
# How fast damaged recordings convert, warm (in the page cache), against `cat` of the same
# file in the same run:
#   whole:   a generated recording of MEGABYTES (default 500) with four channels;
#   damaged: the same recording with 4 KB of random bytes written every 10 MB, so that the
#            walk loses step and searches for the next record about fifty times;
#   random:  the recording's file header followed by MEGABYTES of random bytes, which the
#            converter searches through in full before it says "not a recording".
# Prints MB/s (medians of RUNS runs, default 3) and each one's ratio to cat's.
#
# usage: bench/salvage_bench.sh [-r RUNS] [MEGABYTES]
# Needs a release build (build/bin/make-recording, build/bin/kinorex-convert) and
# /usr/bin/time (Debian package "time"). Work files go to $TMPDIR (default /tmp).
set -eu

runs=3
if [ "${1:-}" = "-r" ]; then
    runs=$2
    shift 2
fi
megabytes=${1:-500}

bench=salvage-bench
. "$(dirname "$0")/bench_setup.sh"
require "$bin/make-recording" "$bin/kinorex-convert" /usr/bin/time

median() {
    tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END {
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Wall seconds of a command; its exit status does not matter (random bytes are refused).
seconds() {
    /usr/bin/time -f "%e" -o "$work/time" "$@" >/dev/null 2>&1 || true
    cat "$work/time" | tail -n 1
}

# Four channels over the PAL clips with speech: about 60 KB of recording per second.
"$bin/make-recording" -o "$work/whole.h264" --loop-seconds $((megabytes * 16)) \
    --channel "1:$fixtures/pal_704x576_25fps.264:$fixtures/speech_1.s16" \
    --channel "2:$fixtures/pal_352x288_25fps.264:$fixtures/speech_2.s16" \
    --channel "3:$fixtures/pal_704x288_25fps.264:$fixtures/speech_3.s16" \
    --channel "4:$fixtures/pal_704x576_25fps.264" >/dev/null
bytes=$(stat -c %s "$work/whole.h264")

cp "$work/whole.h264" "$work/damaged.h264"
step=$((10 * 1024 * 1024))
at=$step
while [ "$at" -lt "$bytes" ]; do
    dd if=/dev/urandom of="$work/damaged.h264" bs=4096 count=1 seek="$at" oflag=seek_bytes \
        conv=notrunc status=none
    at=$((at + step))
done

head -c 1428 "$work/whole.h264" > "$work/random.h264"
head -c "$bytes" /dev/urandom >> "$work/random.h264"

printf '%-8s %-9s %-9s %-6s  (%s MB; medians of %s runs; load %s)\n' \
    kind conv_MB/s cat_MB/s ratio "$((bytes / 1000000))" "$runs" "$(cut -d' ' -f1-3 /proc/loadavg)"
mkdir -p "$work/out"
for kind in whole damaged random; do
    file=$work/$kind.h264
    cat "$file" >/dev/null
    conv= catted=
    run=1
    while [ "$run" -le "$runs" ]; do
        catted="$catted $(seconds cat "$file")"
        conv="$conv $(seconds "$bin/kinorex-convert" -q -o "$work/out" "$file")"
        rm -f "$work"/out/*
        run=$((run + 1))
    done
    echo "$kind runs: convert$conv | cat$catted" >&2
    echo "$(echo "$conv" | median) $(echo "$catted" | median) $bytes" | awk -v kind="$kind" '{
        conv = ($1 > 0 ? $3 / $1 / 1e6 : 0); cat = ($2 > 0 ? $3 / $2 / 1e6 : 0)
        printf "%-8s %-9.0f %-9.0f %-6.2f\n", kind, conv, cat, (cat > 0 ? conv / cat : 0) }'
    rm -f "$file"
done
