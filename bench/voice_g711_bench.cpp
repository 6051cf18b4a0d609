// G.711 frames of types 1, 2, 65 and 66 through the exported voice functions.
#include "voice_frame_bench.h"

namespace {

using namespace kinorex::bench;

void BM_CopyBaseline(benchmark::State& state) {
    copySamples(state);
}
void BM_Encode(benchmark::State& state) {
    encodeFrames(state, std::int32_t(state.range(0)));
}
void BM_Decode(benchmark::State& state) {
    decodeFrames(state, std::int32_t(state.range(0)));
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode)->ArgName("type")->Arg(1)->Arg(2)->Arg(65)->Arg(66);
BENCHMARK(BM_Decode)->ArgName("type")->Arg(1)->Arg(2)->Arg(65)->Arg(66);
