#!/bin/sh
# Hostile recordings against kinorex-convert's memory and time. Each file's header claims
# 400 million index entries (4 GB of them) and an index block of 300 million; its records
# declare payloads of 2 GB that are not there, voice frames longer than their records, stray
# channel indexes and forged index-block headers. Reports wall time and peak resident memory:
# memory must stay bounded by the file's size (below 64 MiB for the small file that claims
# far more than it holds), and time must grow in proportion to the size.
#
# usage: bench/hostile_limits.sh [MEGABYTES...]      (default: 25 50 100)
# Needs a release build (build/bin/kinorex-convert), python3 and /usr/bin/time (package
# "time"). Work files go to $TMPDIR (default /tmp).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
convert=$root/build/bin/kinorex-convert
work=$(mktemp -d "${TMPDIR:-/tmp}/kinorex-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
for tool in "$convert" /usr/bin/time; do
    [ -x "$tool" ] || { echo "missing $tool (release build? package 'time'?)" >&2; exit 2; }
done

# craft FILE BYTES: a hostile recording of about BYTES bytes.
craft() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
path, target = sys.argv[1], int(sys.argv[2])
def record(channel, kind, payload, declared=None):
    n = len(payload) if declared is None else declared
    return struct.pack("<I3xBBxxB8xI", channel, kind, 1, 0, n) + payload
voice_cut_short = b"\x00\x01\xff\x00" + bytes(12)          # declares 510 payload bytes
forged_block = b"IUR\x00" + bytes(16) + struct.pack("<I", 8) + bytes(8)
unit = record(0, 2, bytes(40)) + record(0, 3, voice_cut_short) + record(0x10, 2, bytes(8)) + forged_block
body = unit * max(1, (target - 1528) // len(unit))
body += record(0, 2, bytes(100), 0x7FFFFFE8)              # 2 GB declared, 100 bytes held
trailer = bytes(64) + struct.pack("<II", 300_000_000, 100) + b"NUX\x00"
block = b"IUR\x00" + bytes(20) + trailer
header = bytearray(1428)
header[13] = 1
header[360:376] = bytes(16)
header[392:408] = bytes([5]) * 16
end = 1428 + len(body) + len(block)
header[1416:1428] = struct.pack("<IQ", 400_000_000, end)
with open(path, "wb") as f:
    f.write(header + body + block)
PY
}

printf '%-12s %12s %10s %14s\n' recording bytes wall_s peak_rss_KB
for size in small ${*:-25 50 100}; do
    file=$work/hostile-$size.h264
    if [ "$size" = small ]; then craft "$file" 2000; else craft "$file" $((size * 1000000)); fi
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -f '%e %M' -o "$work/time" "$convert" -o "$work/out" "$file" >/dev/null 2>&1 || true
    read -r wall rss <"$work/time"
    printf '%-12s %12s %10s %14s\n' "$size" "$(wc -c <"$file")" "$wall" "$rss"
done
