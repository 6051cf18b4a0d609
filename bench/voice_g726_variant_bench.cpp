// Type 68 through HI_VOICE_EncodeFrame and HI_VOICE_DecodeFrame, in samples per second, against
// copying the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "hi_voice.h"

namespace {

constexpr std::int16_t kSamples = 480;  // the longest frame
constexpr std::int32_t kType = HI_VOICE_TYPE_G726_16K_VARIANT;

using Pcm = std::array<std::int16_t, kSamples>;
using Frame = std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES>;

Pcm testSignal() {
    Pcm pcm{};
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const double t = static_cast<double>(i);
        pcm[i] = static_cast<std::int16_t>(12000.0 * std::sin(0.05 * t) * std::cos(0.0031 * t));
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

// The context carries the stream on from frame to frame, as it would for a long recording.
void BM_Encode(benchmark::State& state) {
    const Pcm pcm = testSignal();
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, kType);
    Frame frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), kSamples));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Decode(benchmark::State& state) {
    HiVoiceContext context{};
    HI_VOICE_EncReset(&context, kType);
    Frame frame{};
    HI_VOICE_EncodeFrame(&context, testSignal().data(), frame.data(), kSamples);
    HI_VOICE_DecReset(&context, kType);
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
BENCHMARK(BM_Encode);
BENCHMARK(BM_Decode);
