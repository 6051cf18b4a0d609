// G.711 through HI_VOICE_EncodeFrame and HI_VOICE_DecodeFrame, in samples per second, against
// copying the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "hi_voice.h"

namespace {

constexpr std::int16_t kSamples = 480;  // the longest frame

using Pcm = std::array<std::int16_t, kSamples>;
using Frame = std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES>;

Pcm testSignal() {
    Pcm pcm{};
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const double t = static_cast<double>(i);
        pcm[i] = static_cast<std::int16_t>(20000.0 * std::sin(0.05 * t) * std::cos(0.0031 * t));
    }
    return pcm;
}

void BM_CopyBaseline(benchmark::State& state) {
    const Pcm pcm = testSignal();
    Pcm out{};
    for (auto _ : state) {
        std::memcpy(out.data(), pcm.data(), sizeof pcm);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Encode(benchmark::State& state) {
    const Pcm pcm = testSignal();
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, static_cast<std::int32_t>(state.range(0)));
    Frame frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), kSamples));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Decode(benchmark::State& state) {
    const auto type = static_cast<std::int32_t>(state.range(0));
    HiVoiceContext context{};
    HI_VOICE_EncReset(&context, type);
    Frame frame{};
    HI_VOICE_EncodeFrame(&context, testSignal().data(), frame.data(), kSamples);
    HI_VOICE_DecReset(&context, type);
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> out{};
    std::int16_t count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(HI_VOICE_DecodeFrame(&context, frame.data(), out.data(), &count));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode)->ArgName("type")->Arg(1)->Arg(2)->Arg(65)->Arg(66);
BENCHMARK(BM_Decode)->ArgName("type")->Arg(1)->Arg(2)->Arg(65)->Arg(66);
