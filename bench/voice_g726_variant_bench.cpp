// Type-68 frame encoding and decoding in samples per second, against copying the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "g726_variant.h"

namespace {

using namespace kinorex::voice;

constexpr std::size_t kSamples = 480;  // the longest frame

std::array<std::int16_t, kSamples> testSignal() {
    std::array<std::int16_t, kSamples> pcm{};
    for (std::size_t i = 0; i < kSamples; ++i) {
        pcm[i] = static_cast<std::int16_t>(12000.0 * std::sin(0.05 * static_cast<double>(i)) *
                                           std::cos(0.0031 * static_cast<double>(i)));
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
    const auto pcm = testSignal();
    G726VariantState codec;
    std::array<std::uint8_t, kSamples / 4> words{};
    for (auto _ : state) {
        encodeG726Variant(codec, pcm, words);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Decode(benchmark::State& state) {
    G726VariantState codec;
    std::array<std::uint8_t, kSamples / 4> words{};
    encodeG726Variant(codec, testSignal(), words);
    codec = {};
    std::array<std::int16_t, kSamples> out{};
    for (auto _ : state) {
        decodeG726Variant(codec, words, out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode);
BENCHMARK(BM_Decode);
