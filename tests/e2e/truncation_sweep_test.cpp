// Recordings break off: power fails, disks fail, copies stop. A small real recording is cut at
// every record boundary, one byte either side of each, and at random offsets; every cut must
// convert without a crash or a hang into AVI files that hold each record complete before the
// cut and that ffprobe reads without an error.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "avi_layout.h"
#include "ffprobe.h"
#include "media_files.h"
#include "ps2avi.h"
#include "swept_recording.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

using Record = test::SweptRecord;

// Every record boundary and a byte either side of it, and 200 offsets from a fixed seed.
std::set<std::uint64_t> cutOffsets(const std::vector<Record>& records, std::uint64_t fileSize) {
    std::set<std::uint64_t> cuts;
    auto addAround = [&](std::uint64_t boundary) {
        for (const std::uint64_t cut : {boundary - 1, boundary, boundary + 1}) {
            if (cut < fileSize) {
                cuts.insert(cut);
            }
        }
    };
    addAround(kFileHeaderSize);
    for (const Record& record : records) {
        addAround(record.end);
    }
    std::mt19937_64 random(14);
    std::uniform_int_distribution<std::uint64_t> anywhere(0, fileSize - 1);
    for (int i = 0; i < 200; ++i) {
        cuts.insert(anywhere(random));
    }
    return cuts;
}

struct ChunkCount {
    std::size_t video = 0;
    std::size_t audio = 0;
};

ChunkCount expectedChunks(const std::vector<Record>& records, std::uint64_t cut,
                          std::uint32_t channelIndex) {
    ChunkCount count;
    for (const Record& record : records) {
        if (record.end <= cut && record.channelIndex == channelIndex) {
            count.video += record.type == 2;
            count.audio += record.type == 3;
        }
    }
    return count;
}

ChunkCount chunksIn(const std::string& avi) {
    ChunkCount count;
    for (const auto& chunk : test::parseAvi(test::readFile(avi)).movi) {
        count.video += chunk.id == "00dc";
        count.audio += chunk.id == "01wb";
    }
    return count;
}

TEST(TruncationSweep, EveryCutConvertsWhatLayCompleteBeforeIt) {
    ASSERT_TRUE(test::ffmpegAvailable()) << "ffprobe is needed (scripts/setup installs it)";
    test::TempPath dir("truncation");
    const std::string whole = test::sweptRecording(dir.path(), "pal_704x288_25fps.264");
    const auto bytes = test::readFileBytes(whole);
    const auto records = test::walkRecords(whole);
    const auto cuts = cutOffsets(records, bytes.size());
    const std::string cutPath = (dir.path() / "cut.h264").string();
    const std::string prefix = (dir.path() / "cut").string();
    std::size_t probed = 0;
    std::size_t index = 0;
    for (const std::uint64_t cut : cuts) {
        SCOPED_TRACE("cut at byte " + std::to_string(cut));
        std::ofstream(cutPath, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(cut));

        PS2AVI converter;
        const int started = converter.Start(cutPath.c_str(), 0xFFFF, prefix.c_str());
        // Only a cut inside the file header or the first record leaves no recording.
        ASSERT_EQ(started == 1, cut >= records.front().end);
        ASSERT_TRUE(test::waitUntil([&] { return started == 0 || converter.IsFinished(); }));
        converter.Stop();

        // A run of ffprobe costs many conversions; every 32nd cut still lands in every part of
        // the file, as the cuts are in file order.
        const bool probe = index++ % 32 == 0;
        for (std::uint32_t channelIndex = 0; channelIndex < 2; ++channelIndex) {
            const ChunkCount expected = expectedChunks(records, cut, channelIndex);
            const std::string avi = prefix + "_" + std::to_string(channelIndex + 1) + ".avi";
            ASSERT_EQ(std::filesystem::exists(avi), expected.video > 0) << avi;
            if (expected.video == 0) {
                continue;
            }
            const ChunkCount written = chunksIn(avi);
            EXPECT_EQ(written.video, expected.video) << avi;
            EXPECT_EQ(written.audio, expected.audio) << avi;
            if (probe) {
                int status = 0;
                const std::string errors =
                    test::runCommand("ffprobe -v error -i '" + avi + "'", status);
                EXPECT_TRUE(status == 0 && errors.empty()) << avi << ": " << errors;
                ++probed;
            }
            std::filesystem::remove(avi);
        }
    }
    RecordProperty("cuts", static_cast<int>(cuts.size()));
    RecordProperty("probed", static_cast<int>(probed));
    std::printf("%zu cuts converted, %zu AVI files probed\n", cuts.size(), probed);
}

}  // namespace
}  // namespace kinorex
