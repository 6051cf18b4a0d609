#pragma once

// Frame encoding and decoding through the exported voice functions, measured in samples per
// second, with a plain copy of the same samples as the baseline.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "hi_voice.h"

namespace kinorex::bench {

inline constexpr std::int16_t kFrameSamples = 480;  // the longest frame

using Pcm = std::array<std::int16_t, kFrameSamples>;
using Frame = std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES>;

// A beating tone at speech-like level.
inline Pcm testSignal() {
    Pcm pcm{};
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const double t = static_cast<double>(i);
        pcm[i] = static_cast<std::int16_t>(12000.0 * std::sin(0.05 * t) * std::cos(0.0031 * t));
    }
    return pcm;
}

inline void copySamples(benchmark::State& state) {
    const Pcm pcm = testSignal();
    Pcm out{};
    for (auto _ : state) {
        std::memcpy(out.data(), pcm.data(), sizeof pcm);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameSamples);
}

// The context carries its stream on from frame to frame, as it would for a long recording.
inline void encodeFrames(benchmark::State& state, std::int32_t type) {
    const Pcm pcm = testSignal();
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, type);
    Frame frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), kFrameSamples));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameSamples);
}

inline void decodeFrames(benchmark::State& state, std::int32_t type) {
    HiVoiceContext context{};
    HI_VOICE_EncReset(&context, type);
    Frame frame{};
    HI_VOICE_EncodeFrame(&context, testSignal().data(), frame.data(), kFrameSamples);
    HI_VOICE_DecReset(&context, type);
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> out{};
    std::int16_t count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(HI_VOICE_DecodeFrame(&context, frame.data(), out.data(), &count));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameSamples);
}

}  // namespace kinorex::bench
