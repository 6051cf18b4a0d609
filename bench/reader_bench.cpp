// The frame walk against a plain sequential read of the same recording, in one run.
//
//   build/bin/reader_bench [google benchmark flags]
//
// The recording (about 500 MB: 16 channels, video frames of a few kilobytes, voice frames
// of 168 bytes) is generated in the temporary directory and removed at the end. Both
// benchmarks read it from the page cache after the first pass, so the comparison shows the
// walk's own cost: the target is at most 1.5 times the plain read.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>

#include "platform/file.h"
#include "recording/recording_reader.h"
#include "recording_builder.h"
#include "temp_path.h"

namespace kinorex {
namespace {

constexpr std::uint64_t kRecordingBytes = 500ull << 20;
constexpr std::uint32_t kFrameBufferSize = 0x80000;
constexpr std::size_t kPlainReadSize = 1 << 20;

const test::TempPath& recordingPath() {
    static const test::TempPath path("reader-bench.h264");
    return path;
}

// One stretch of interleaved channels, written again and again up to the wanted size.
void generateRecording(const std::filesystem::path& path) {
    std::mt19937 random(2026);
    test::RecordingBuilder stretch;
    stretch.videoStandard(1);
    for (int round = 0; round < 64; ++round) {
        for (std::uint32_t channel = 0; channel < 16; ++channel) {
            const bool key = round % 25 == 0;
            const std::size_t size = key ? 20000 + random() % 10000 : 1500 + random() % 5000;
            stretch.video(channel, test::testPayload(size, static_cast<std::uint8_t>(channel)), key,
                          static_cast<std::uint8_t>(channel + 1));
            stretch.audio(channel, test::testVoiceFrame(82, 0x55));
        }
    }
    const test::Bytes first = stretch.bytes();
    const auto* body = reinterpret_cast<const char*>(first.data() + test::kHeaderBytes);
    const auto bodySize = static_cast<std::streamsize>(first.size() - test::kHeaderBytes);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(first.data()), test::kHeaderBytes);
    for (std::uint64_t written = 0; written < kRecordingBytes; written += bodySize) {
        out.write(body, bodySize);
    }
    if (!out.flush()) {
        std::abort();
    }
}

void plainSequentialRead(benchmark::State& state) {
    auto buffer = std::make_unique<std::uint8_t[]>(kPlainReadSize);
    std::uint64_t total = 0;
    for (auto _ : state) {
        platform::File file;
        if (!file.openForSharedRead(recordingPath().c_str())) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        while (const auto got = file.read(buffer.get(), kPlainReadSize)) {
            if (*got == 0) {
                break;
            }
            total += *got;
        }
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}

void readFrameWalk(benchmark::State& state) {
    auto buffer = std::make_unique<std::uint8_t[]>(kFrameBufferSize);
    std::uint64_t total = 0;
    std::uint64_t records = 0;
    for (auto _ : state) {
        RecordingReader reader;
        std::uint8_t header[kFileHeaderSize] = {};
        if (!reader.Open(recordingPath().c_str(), header)) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        total += kFileHeaderSize;
        std::uint32_t size = kFrameBufferSize;
        while (reader.ReadFrame(buffer.get(), size)) {
            total += size;
            ++records;
            size = kFrameBufferSize;
        }
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["records"] =
        benchmark::Counter(static_cast<double>(records), benchmark::Counter::kAvgIterations);
}

BENCHMARK(plainSequentialRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readFrameWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kinorex

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kinorex::generateRecording(kinorex::recordingPath().path());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
