// AVI writer throughput against plain buffered writes of the same chunks to the same place,
// for chunks the size of PCM blocks (200 bytes) and of video frames (20 KB).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "avi/avi_writer.h"
#include "platform/file_sink.h"

namespace {

constexpr std::size_t kBytesPerRun = 64 << 20;

// TMPDIR=/dev/shm takes the disk out of the comparison and leaves the write path's own cost.
std::string benchPath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/kinorex_avi_writer_bench_" +
           std::to_string(::getpid()) + ".avi";
}

void setCounters(benchmark::State& state, std::size_t chunkSize) {
    std::size_t chunks = kBytesPerRun / chunkSize;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chunks * chunkSize));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * chunks));
}

// The baseline: each chunk's header and payload through a stdio buffer of the writer's block
// size, no index, no headers.
void BM_PlainBufferedWrite(benchmark::State& state) {
    const auto chunkSize = static_cast<std::size_t>(state.range(0));
    std::vector<char> payload(chunkSize, 'x');
    std::vector<char> buffer(kinorex::RiffWriter::kBlockSize);
    const std::string path = benchPath();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
        const char header[8] = {'0', '0', 'd', 'c'};
        for (std::size_t i = 0; i < kBytesPerRun / chunkSize; ++i) {
            std::fwrite(header, 1, sizeof header, file);
            std::fwrite(payload.data(), 1, payload.size(), file);
        }
        std::fclose(file);
    }
    std::remove(path.c_str());
    setCounters(state, chunkSize);
}

void BM_AviWriter(benchmark::State& state) {
    const auto chunkSize = static_cast<std::size_t>(state.range(0));
    std::vector<std::byte> payload(chunkSize, std::byte{'x'});
    const std::byte format[40] = {};
    kinorex::AviStreamHeader video;
    video.type = kinorex::fourCc("vids");
    const std::string path = benchPath();
    for (auto _ : state) {
        std::unique_ptr<kinorex::FileSink> sink;
        if (kinorex::createFileSink(path.c_str(), sink) != 0) {
            state.SkipWithError("cannot create the file");
            break;
        }
        kinorex::AviWriter writer(std::move(sink));
        writer.addStream(video, format);
        for (std::size_t i = 0; i < kBytesPerRun / chunkSize; ++i) {
            writer.writeChunk(0, payload, i % 25 == 0);
        }
        writer.finish();
    }
    std::remove(path.c_str());
    setCounters(state, chunkSize);
}

BENCHMARK(BM_PlainBufferedWrite)
    ->Arg(200)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AviWriter)->Arg(200)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
