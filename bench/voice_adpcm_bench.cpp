// ADPCM throughput through the public interface, in 320-sample frames (40 ms), against a plain
// copy of the same samples as the baseline; and the batch decoder along each of its paths,
// against the same frames decoded one by one into the same buffers. The Msamples counter reads
// in million samples per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "adpcm_frames.h"
#include "hi_voice.h"
#include "speech_signals.h"

namespace {

constexpr std::int16_t kFrameSamples = 320;
constexpr std::size_t kSignalSamples = 8000 * 10;

const std::vector<std::int16_t>& speech() {
    static const auto signal = kinorex::voice::testing::speechLikeSignal(kSignalSamples);
    return signal;
}

void reportSamples(benchmark::State& state, std::int64_t samples) {
    state.SetItemsProcessed(samples);
    state.counters["Msamples"] =
        benchmark::Counter(static_cast<double>(samples) / 1e6, benchmark::Counter::kIsRate);
}

// The speech encoded once as type-3 frames, for the decoder to read.
std::vector<std::vector<std::uint8_t>> encodedFrames() {
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_ADPCM);
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::size_t start = 0; start + kFrameSamples <= speech().size(); start += kFrameSamples) {
        std::vector<std::uint8_t> frame(HI_VOICE_MAX_ENCODED_BYTES);
        HI_VOICE_EncodeFrame(&encoder, speech().data() + start, frame.data(), kFrameSamples);
        frames.push_back(std::move(frame));
    }
    return frames;
}

void copyBaseline(benchmark::State& state) {
    std::vector<std::int16_t> out(kFrameSamples);
    std::int64_t samples = 0;
    for (auto _ : state) {
        for (std::size_t start = 0; start + kFrameSamples <= speech().size();
             start += kFrameSamples) {
            std::memcpy(out.data(), speech().data() + start, kFrameSamples * sizeof(std::int16_t));
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
            samples += kFrameSamples;
        }
    }
    reportSamples(state, samples);
}

void adpcmEncode(benchmark::State& state) {
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_ADPCM);
    std::vector<std::uint8_t> frame(HI_VOICE_MAX_ENCODED_BYTES);
    std::int64_t samples = 0;
    for (auto _ : state) {
        for (std::size_t start = 0; start + kFrameSamples <= speech().size();
             start += kFrameSamples) {
            HI_VOICE_EncodeFrame(&encoder, speech().data() + start, frame.data(), kFrameSamples);
            benchmark::DoNotOptimize(frame.data());
            samples += kFrameSamples;
        }
    }
    reportSamples(state, samples);
}

void adpcmDecode(benchmark::State& state) {
    auto frames = encodedFrames();
    HiVoiceContext decoder{};
    HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_ADPCM);
    std::vector<std::int16_t> pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = 0;
    std::int64_t samples = 0;
    for (auto _ : state) {
        for (auto& frame : frames) {
            HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count);
            benchmark::DoNotOptimize(pcm.data());
            samples += count;
        }
    }
    reportSamples(state, samples);
}

// A batch of the first `frames` frames, each decoded into a buffer of its own, as the converter
// decodes the frames of a read block.
struct Batch {
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<std::int16_t> pcm;
    std::vector<kinorex::voice::AdpcmFrameJob> jobs;

    explicit Batch(std::int64_t count) : frames(encodedFrames()) {
        frames.resize(static_cast<std::size_t>(count));
        pcm.resize(frames.size() * HI_VOICE_MAX_DECODED_SAMPLES);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            jobs.push_back({frames[i].data(), pcm.data() + i * HI_VOICE_MAX_DECODED_SAMPLES});
        }
    }
};

void adpcmDecodeFrameByFrame(benchmark::State& state) {
    Batch batch(state.range(0));
    std::int64_t samples = 0;
    for (auto _ : state) {
        HiVoiceContext decoder{};
        HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_ADPCM);
        for (auto& job : batch.jobs) {
            HI_VOICE_DecodeFrame(&decoder, const_cast<std::uint8_t*>(job.frame), job.pcm,
                                 &job.samples);
            samples += job.samples;
        }
        benchmark::ClobberMemory();
    }
    reportSamples(state, samples);
}

void adpcmDecodeBatch(benchmark::State& state, kinorex::voice::AdpcmBatchPath path) {
    Batch batch(state.range(0));
    std::int64_t samples = 0;
    for (auto _ : state) {
        kinorex::voice::decodeAdpcmFrames(batch.jobs, path);
        benchmark::ClobberMemory();
        for (const auto& job : batch.jobs) {
            samples += job.samples;
        }
    }
    reportSamples(state, samples);
}

// A small batch (fewer frames than the widest path takes) and a large one (the whole signal).
void batchSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(25)->Arg(static_cast<std::int64_t>(kSignalSamples / kFrameSamples));
}

void registerBatchPaths() {
    using kinorex::voice::AdpcmBatchPath;
    const std::pair<AdpcmBatchPath, const char*> paths[] = {{AdpcmBatchPath::kPortable, "portable"},
                                                            {AdpcmBatchPath::kAvx2, "avx2"},
                                                            {AdpcmBatchPath::kAvx512, "avx512"}};
    for (const auto& [path, name] : paths) {
        if (kinorex::voice::adpcmBatchPathAvailable(path)) {
            benchmark::RegisterBenchmark((std::string("adpcmDecodeBatch/") + name).c_str(),
                                         adpcmDecodeBatch, path)
                ->Apply(batchSizes);
        }
    }
}

BENCHMARK(copyBaseline);
BENCHMARK(adpcmEncode);
BENCHMARK(adpcmDecode);
BENCHMARK(adpcmDecodeFrameByFrame)->Apply(batchSizes);

}  // namespace

int main(int argc, char** argv) {
    registerBatchPaths();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
