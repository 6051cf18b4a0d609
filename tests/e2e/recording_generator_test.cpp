// The generator's awkward cases land in the file as asked, and its index chain is sound.
#include "recording_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "little_endian.h"
#include "media_files.h"
#include "recording/frame_record.h"
#include "recording/recording_reader.h"
#include "temp_path.h"

namespace kinorex {
namespace {

struct Walked {
    std::uint32_t channelIndex;
    std::uint8_t type;
    std::uint8_t audioChannel;
};

TEST(RecordingGenerator, AwkwardCasesAndIndexChain) {
    test::TempPath path("generated.h264");
    tools::RecordingPlan plan = tools::parseRecordingPlan(
        {"-o", path.string(), "--channel",
         "1:" + test::fixturePath("ntsc_640x480_30fps.264").string() + ":" +
             test::fixturePath("speech_1.s16").string(),
         "--channel", "3:" + test::fixturePath("ntsc_320x240_15fps.264").string(), "--audio-first",
         "1", "--audio-channel", "3:2", "--stray-channel-index", "16", "--unknown-type", "0",
         "--truncate-last"});
    tools::generateRecording(plan);

    RecordingReader reader;
    std::array<std::uint8_t, kFileHeaderSize> header{};
    ASSERT_TRUE(reader.Open(path.c_str(), header.data()));
    std::int32_t width = 0, height = 0;
    reader.GetResolution(3, width, height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(reader.GetFrameRate(1), 30);
    EXPECT_EQ(reader.GetFrameRate(3), 15);

    std::vector<Walked> records;
    std::vector<std::uint8_t> buffer(kFrameBufferSize);
    std::uint32_t size = kFrameBufferSize;
    std::uint64_t wholeRecordsEnd = kFileHeaderSize;
    for (; reader.ReadFrame(buffer.data(), size); size = kFrameBufferSize) {
        const FrameRecord record(buffer.data(), size);
        records.push_back({record.channelIndex(), record.type(), record.audioChannel()});
        wholeRecordsEnd += size;
    }
    EXPECT_GT(std::filesystem::file_size(path.path()), wholeRecordsEnd)
        << "the file ends in a record cut short";

    ASSERT_GT(records.size(), 2u);
    // Channel 1's first audio frame precedes its first video frame.
    const auto firstOfChannel1 = std::find_if(records.begin(), records.end(),
                                              [](const Walked& r) { return r.channelIndex == 0; });
    ASSERT_NE(firstOfChannel1, records.end());
    EXPECT_EQ(firstOfChannel1->type, 3);
    int stray = 0, unknown = 0;
    for (const Walked& record : records) {
        stray += record.channelIndex == 16;
        unknown += record.type == 0;
        if (record.type == 2 && record.channelIndex < 16) {
            EXPECT_EQ(record.audioChannel, record.channelIndex == 0 ? 1 : 2);
        }
    }
    EXPECT_GT(stray, 0);
    EXPECT_GT(unknown, 0);

    // The first index entry points at the first key frame, channel 3's, at the first record.
    const auto entry = reader.GetIndexEntry(0);
    EXPECT_EQ(loadLe64(entry.data()), kFileHeaderSize);
    EXPECT_EQ(entry[8], 2);  // channel index of channel 3
}

TEST(RecordingGenerator, RefusesWhatItCannotWrite) {
    EXPECT_THROW(tools::parseRecordingPlan({"-o", "x", "--channel", "17:a_704x576.264"}),
                 std::invalid_argument);
    EXPECT_THROW(tools::parseRecordingPlan({"-o", "x", "--unknown-type", "3"}),
                 std::invalid_argument);
    EXPECT_THROW(tools::parseRecordingPlan({"-o", "x", "--stray-channel-index", "15"}),
                 std::invalid_argument);
    // Sizes of both video standards cannot share one header.
    test::TempPath path("mixed.h264");
    EXPECT_THROW(tools::generateRecording(tools::parseRecordingPlan(
                     {"-o", path.string(), "--channel",
                      "1:" + test::fixturePath("pal_704x576_25fps.264").string(), "--channel",
                      "2:" + test::fixturePath("ntsc_640x480_30fps.264").string()})),
                 std::runtime_error);
}

}  // namespace
}  // namespace kinorex
