#!/bin/sh
# Converts one generated single-channel recording of more than 2.1 GB, whose AVI output
# passes the AVI 1.0 size limit, and checks the parts: every part opens in ffprobe without
# an error and starts with a key frame, and the video and voice frames of all parts add up
# to those of the recording. Prints one line per part and the totals.
#
# usage: bench/split_bench.sh [MEGABYTES]      (default: 2200, the recording's size)
# Needs a release build (build/bin/make-recording, build/bin/kinorex-convert) and ffprobe.
# Work files (the recording and about 1.5 times its size in AVI files) go to $TMPDIR
# (default /tmp). Exit status 1 when a check fails.
set -eu

bench=split-bench
. "$(dirname "$0")/bench_setup.sh"
require "$bin/make-recording" "$bin/kinorex-convert" ffprobe
megabytes=${1:-2200}

channel="1:$fixtures/pal_704x576_25fps.264:$fixtures/speech_1.s16"

# Packets of one stream ("v:0" or "a:0") of an AVI file, counted by ffprobe.
packets() {
    ffprobe -v error -select_streams "$2" -count_packets \
        -show_entries stream=nb_read_packets -of csv=p=0 "$1"
}

# Converts $work/rec.h264 into $work/out; prints the parts' video and voice frame totals.
convert_and_count() {
    rm -rf "$work/out" && mkdir "$work/out"
    "$bin/kinorex-convert" -q -o "$work/out" "$work/rec.h264" ||
        { echo "kinorex-convert reported losses" >&2; return 1; }
    video=0 voice=0
    for part in $(ls "$work"/out/*.avi | sort -V); do
        errors=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$part" 2>&1 >/dev/null)
        [ -z "$errors" ] || { echo "ffprobe: $part: $errors" >&2; return 1; }
        first=$(ffprobe -v error -select_streams v:0 -read_intervals "%+#1" \
            -show_entries packet=flags -of csv=p=0 "$part")
        v=$(packets "$part" v:0) a=$(packets "$part" a:0)
        video=$((video + v)) voice=$((voice + a))
        [ -z "${verbose:-}" ] || printf '  %-16s %12s bytes  %8s video  %8s voice  first %s\n' \
            "$(basename "$part")" "$(stat -c %s "$part")" "$v" "$a" "$first" >&2
        case $first in K*) ;; *) echo "$part does not start with a key frame" >&2; return 1 ;; esac
    done
    echo "$video $voice"
}

# A short recording first: the recording's bytes per second, and a check that a recording
# of S seconds holds 25 S video and 25 S voice frames.
calibration=100
"$bin/make-recording" -o "$work/rec.h264" --loop-seconds $calibration --channel "$channel"
totals=$(convert_and_count)
set -- $totals
[ "$1 $2" = "$((calibration * 25)) $((calibration * 25))" ] ||
    { echo "calibration: $1 video, $2 voice frames in $calibration s" >&2; exit 1; }
seconds=$((megabytes * 1000000 / ($(stat -c %s "$work/rec.h264") / calibration) + 1))

"$bin/make-recording" -o "$work/rec.h264" --loop-seconds $seconds --channel "$channel"
echo "recording: $(stat -c %s "$work/rec.h264") bytes, $seconds s, $((seconds * 25)) video" \
    "and $((seconds * 25)) voice frames"
start=$(date +%s)
verbose=1
totals=$(convert_and_count)
set -- $totals
echo "conversion and checks: $(($(date +%s) - start)) s"
echo "parts: $1 video and $2 voice frames"
[ "$1 $2" = "$((seconds * 25)) $((seconds * 25))" ] || { echo "frames lost" >&2; exit 1; }
echo "every frame is in exactly one part"
