// G.711 frame encoding and decoding in samples per second, against copying the same samples.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "g711.h"

namespace {

using namespace kinorex::voice;

constexpr std::size_t kSamples = 480;  // the longest frame

std::array<std::int16_t, kSamples> testSignal() {
    std::array<std::int16_t, kSamples> pcm{};
    for (std::size_t i = 0; i < kSamples; ++i) {
        pcm[i] = static_cast<std::int16_t>(20000.0 * std::sin(0.05 * static_cast<double>(i)) *
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
    const auto law = static_cast<G711Law>(state.range(0));
    const auto pcm = testSignal();
    std::array<std::uint8_t, kSamples> codes{};
    for (auto _ : state) {
        encodeG711(law, G711ByteOrder::kSampleOrder, pcm, codes);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_Decode(benchmark::State& state) {
    const auto law = static_cast<G711Law>(state.range(0));
    std::array<std::uint8_t, kSamples> codes{};
    encodeG711(law, G711ByteOrder::kSampleOrder, testSignal(), codes);
    std::array<std::int16_t, kSamples> out{};
    for (auto _ : state) {
        decodeG711(law, G711ByteOrder::kSampleOrder, codes, out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

BENCHMARK(BM_CopyBaseline);
BENCHMARK(BM_Encode)->ArgName("ulaw")->Arg(0)->Arg(1);
BENCHMARK(BM_Decode)->ArgName("ulaw")->Arg(0)->Arg(1);
