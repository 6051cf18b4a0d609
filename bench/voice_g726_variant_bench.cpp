// Type-68 frames through the exported voice functions.
#include "voice_frame_bench.h"

namespace {

using namespace kinorex::bench;

void BM_CopyBaseline(benchmark::State& state) {
    copySamples(state);
}
void BM_Encode(benchmark::State& state) {
    encodeFrames(state, HI_VOICE_TYPE_G726_16K_VARIANT);
}
void BM_Decode(benchmark::State& state) {
    decodeFrames(state, HI_VOICE_TYPE_G726_16K_VARIANT);
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode);
BENCHMARK(BM_Decode);
