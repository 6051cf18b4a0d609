// G.726 frame encoding and decoding through the HI_VOICE_ interface, in samples per second, per
// rate and packing order, against copying the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "hi_voice.h"

namespace {

constexpr int kSamples = 480;  // the longest frame a G.726 decoder takes

std::array<std::int16_t, kSamples> testSignal() {
    std::array<std::int16_t, kSamples> pcm{};
    for (int i = 0; i < kSamples; ++i) {
        pcm[i] = static_cast<std::int16_t>(12000.0 * std::sin(0.07 * i) +
                                           6000.0 * std::sin(0.0131 * i * i / 40.0));
    }
    return pcm;
}

void BM_CopyBaseline(benchmark::State& state) {
    const auto pcm = testSignal();
    std::array<std::int16_t, kSamples> out{};
    for (auto _ : state) {
        std::memcpy(out.data(), pcm.data(), sizeof pcm);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Encode(benchmark::State& state) {
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, static_cast<std::int32_t>(state.range(0)));
    const auto pcm = testSignal();
    std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES> frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), kSamples));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

// MSB-first types repack the caller's frame, so every pass starts from a fresh copy.
void BM_Decode(benchmark::State& state) {
    const auto type = static_cast<std::int32_t>(state.range(0));
    HiVoiceContext encoder{};
    HiVoiceContext decoder{};
    HI_VOICE_EncReset(&encoder, type);
    HI_VOICE_DecReset(&decoder, type);
    std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES> encoded{};
    HI_VOICE_EncodeFrame(&encoder, testSignal().data(), encoded.data(), kSamples);
    std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES> frame{};
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
    std::int16_t count = 0;
    for (auto _ : state) {
        frame = encoded;
        benchmark::DoNotOptimize(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void allG726Types(benchmark::internal::Benchmark* bench) {
    bench->ArgName("type");
    for (int type : {4, 5, 6, 7, 36, 37, 38, 39}) {
        bench->Arg(type);
    }
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode)->Apply(allG726Types);
BENCHMARK(BM_Decode)->Apply(allG726Types);
