# Sourced by the conversion benches after they set `bench`, their name: where the release
# build and the fixtures are, and a work folder in $TMPDIR (default /tmp) that is removed
# on exit. `require TOOL...` stops with status 2 when a tool is missing.
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
fixtures=$root/tests/fixtures
work=$(mktemp -d "${TMPDIR:-/tmp}/kinorex-$bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

require() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null ||
            { echo "missing $tool (release build? package 'time'? ffmpeg?)" >&2; exit 2; }
    done
}
