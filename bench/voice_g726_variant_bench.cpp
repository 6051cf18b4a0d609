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
    g726VariantReset(codec);
    std::array<std::uint8_t, 4 + kSamples / 4> frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(g726VariantEncodeFrame(codec, pcm, frame.data()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Decode(benchmark::State& state) {
    G726VariantState codec;
    g726VariantReset(codec);
    std::array<std::uint8_t, 4 + kSamples / 4> frame{};
    g726VariantEncodeFrame(codec, testSignal(), frame.data());
    g726VariantReset(codec);
    std::array<std::int16_t, kSamples> out{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(g726VariantDecodeFrame(codec, frame.data(), out.data()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode);
BENCHMARK(BM_Decode);
