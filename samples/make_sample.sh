#!/usr/bin/env bash
# Makes samples/sample.h264, the bundled recording that scripts/demo converts:
# four PAL channels of the committed test clips, three of them with speech and
# channel 3 without audio. Needs a build (scripts/demo or scripts/test) first.
set -euo pipefail
cd "$(dirname "$0")/.."

fixtures=tests/fixtures
build/bin/make-recording -o samples/sample.h264 \
  --channel "1:$fixtures/pal_704x576_25fps.264:$fixtures/speech_1.s16" \
  --channel "2:$fixtures/pal_352x288_25fps.264:$fixtures/speech_2.s16" \
  --channel "3:$fixtures/pal_704x288_25fps.264" \
  --channel "4:$fixtures/pal_352x288_25fps.264:$fixtures/speech_4.s16"
ls -l samples/sample.h264
