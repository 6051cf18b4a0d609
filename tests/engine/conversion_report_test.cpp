// What a conversion reports and where its frames go: a disk that fills up, a source cut
// short, channels split into parts, voice routed by audio channel number.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>

#include "avi_layout.h"
#include "ps2avi.h"
#include "recording_builder.h"
#ifndef _WIN32
#include "small_disk.h"
#endif
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

using test::RecordingBuilder;
using test::testPayload;
using test::testVoiceFrame;

class ConversionReportTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_.path()); }
    std::string recording() const { return (dir_.path() / "rec.h264").string(); }

    ConversionReport convert(PS2AVI& converter, const std::filesystem::path& prefix,
                             std::uint32_t mask) {
        EXPECT_EQ(converter.Start(recording().c_str(), mask, prefix.string().c_str()), 1);
        EXPECT_TRUE(test::waitUntil([&] { return converter.IsFinished() != 0; }));
        converter.Stop();
        return converter.report();
    }

    test::TempPath dir_{"conversion-report"};
};

std::size_t chunksWithId(const test::AviLayout& layout, const std::string& id) {
    return std::count_if(layout.movi.begin(), layout.movi.end(),
                         [&](const auto& chunk) { return chunk.id == id; });
}

#ifndef _WIN32  // the small disk is a tmpfs mount
TEST_F(ConversionReportTest, FullDiskCountsEveryFrameAsWrittenOrLost) {
    // Several times the writer's block, so the disk fills while the worker runs.
    RecordingBuilder builder;
    for (int i = 0; i < 120; ++i) {
        builder.video(0, testPayload(30000, i), i % 10 == 0).video(1, testPayload(500, i));
    }
    builder.write(recording());
    test::SmallDisk disk(1536 * 1024);
    PS2AVI converter;

    const auto report = convert(converter, disk.path() / "rec", 0b11);
    EXPECT_TRUE(report.hasLosses());
    EXPECT_GT(report.channels[0].files.at(0).chunksWritten, 0u);  // it filled midway
    for (const auto& channel : {report.channels[0], report.channels[1]}) {
        const auto& file = channel.files.at(0);
        EXPECT_EQ(file.chunksWritten + file.chunksLost, 120u);
        EXPECT_EQ(file.firstError, file.hasLosses() ? disk.fullText() : "");
        // What the report calls written is exactly what the file holds.
        if (file.chunksWritten > 0) {
            EXPECT_EQ(test::parseAvi(test::readFile(file.path)).movi.size(), file.chunksWritten);
        }
    }
}
#endif

TEST(DescribeLosses, CountsVideoAndVoiceFramesApart) {
    const struct {
        OutputFileReport file;
        bool earlierKept;
        const char* line;  // nullptr: the file lost nothing
    } cases[] = {
        {{.path = "a_1.avi", .completed = true, .chunksWritten = 60000, .firstError = ""},
         false,
         nullptr},
        {{.path = "a_1.avi",
          .completed = true,
          .chunksWritten = 6400,
          .chunksLost = 53600,
          .voiceChunksWritten = 3200,
          .voiceChunksLost = 26800,
          .firstError = "No space left on device"},
         false,
         "a_1.avi: No space left on device; 26800 of 30000 video frames and 26800 of 30000 "
         "voice frames not written"},
        {{.path = "a_2.avi",
          .completed = true,
          .chunksWritten = 10,
          .chunksLost = 1,
          .firstError = "a frame larger than an AVI file may be"},
         false,
         "a_2.avi: a frame larger than an AVI file may be; 1 of 11 video frames not written"},
        {{.path = "a_3.avi",
          .completed = true,
          .chunksWritten = 12,
          .chunksLost = 4,
          .voiceChunksWritten = 2,
          .voiceChunksLost = 4,
          .firstError = "Input/output error"},
         false,
         "a_3.avi: Input/output error; 4 of 6 voice frames not written"},
        {{.path = "a_4.avi",
          .completed = false,
          .chunksWritten = 5,
          .firstError = "Input/output error"},
         false,
         "a_4.avi: Input/output error; the file is not complete"},
        {{.path = "out/a_5.avi", .completed = true, .chunksWritten = 5, .firstError = ""},
         true,
         "out/a_5.avi: interrupted; the earlier a_5.avi was kept"},
        {{.path = "out/a_6.avi",
          .completed = true,
          .chunksLost = 5,
          .firstError = "Disk quota exceeded"},
         true,
         "out/a_6.avi: Disk quota exceeded; the earlier a_6.avi was kept"},
    };
    for (const auto& c : cases) {
        ConversionReport report;
        report.channels[3].files = {c.file};
        report.channels[3].earlierKept = c.earlierKept;
        EXPECT_EQ(report.hasLosses(), c.line != nullptr) << c.file.path;
        EXPECT_EQ(describeLosses(report),
                  c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    }
}

// Starts the worker only after the recording has lost its second half.
class TruncatingConverter : public PS2AVI {
public:
    std::string path;
    ~TruncatingConverter() override { Stop(); }

protected:
    std::thread launchWorker() override {
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        return PS2AVI::launchWorker();
    }
};

TEST_F(ConversionReportTest, SourceCutShortWhileConvertingLeavesACompleteFile) {
    RecordingBuilder builder;
    // More than the pre-scan's first block holds, so that the cut is met on disk.
    for (int i = 0; i < 2000; ++i) {
        builder.video(0, testPayload(1000, static_cast<std::uint8_t>(i)), i % 25 == 0);
    }
    builder.write(recording());
    TruncatingConverter converter;
    converter.path = recording();

    const auto file = convert(converter, dir_.path() / "rec", 1).channels[0].files.at(0);
    EXPECT_FALSE(file.hasLosses());
    EXPECT_GT(file.chunksWritten, 0u);
    EXPECT_LT(file.chunksWritten, 2000u);
    EXPECT_EQ(test::parseAvi(test::readFile(file.path)).idx1.size(), file.chunksWritten);
}

TEST_F(ConversionReportTest, BigChannelsGoOnInPartsThatStartAtKeyFramesWherePossible) {
    RecordingBuilder builder;
    for (int i = 0; i < 150; ++i) {
        // Channel 1 has a key frame every ten frames, channel 2 only its first.
        builder.video(0, testPayload(1000, i), i % 10 == 0, 1).audio(0, testVoiceFrame(2, i));
        builder.video(1, testPayload(1000, i), i == 0, 2);
    }
    builder.write(recording());
    PS2AVI converter(PartLimits{.maxFileSize = 40000, .keyFrameMargin = 12000});

    const auto report = convert(converter, dir_.path() / "rec", 0b11);
    EXPECT_FALSE(report.hasLosses());
    for (int channel = 0; channel < 2; ++channel) {
        const auto& files = report.channels[channel].files;
        ASSERT_GE(files.size(), 3u);
        std::size_t videoFrames = 0;
        for (std::size_t part = 0; part < files.size(); ++part) {
            SCOPED_TRACE(files[part].path);
            const std::string suffix = part == 0 ? "" : "_part" + std::to_string(part + 1);
            EXPECT_EQ(files[part].path, (dir_.path() / "rec_").string() +
                                            std::to_string(channel + 1) + suffix + ".avi");
            EXPECT_LE(std::filesystem::file_size(files[part].path), 40000u);
            const auto layout = test::parseAvi(test::readFile(files[part].path));
            EXPECT_EQ(layout.strh.size(), channel == 0 ? 2u : 1u);  // the first part's streams
            ASSERT_EQ(layout.idx1.size(), layout.movi.size());
            videoFrames += chunksWithId(layout, "00dc");
            // Where key frames come, every part starts with one; otherwise the limit decides.
            EXPECT_EQ((layout.idx1.at(0).flags & 0x10) != 0, channel == 0 || part == 0);
        }
        EXPECT_EQ(videoFrames, 150u);
    }
}

TEST_F(ConversionReportTest, VoiceGoesToEveryChannelThatNamesIt) {
    RecordingBuilder builder;
    builder
        .video(0, testPayload(100), true, 1)   // channel 1: its own voice
        .video(1, testPayload(100), true, 1)   // channel 2: channel 1's voice
        .video(2, testPayload(100), true, 4)   // channel 3: channel 4's voice
        .video(3, testPayload(100), true, 4);  // channel 4: not converted
    builder.audio(0, testVoiceFrame()).audio(0, testVoiceFrame()).audio(0, testVoiceFrame());
    builder.audio(3, testVoiceFrame()).audio(3, testVoiceFrame());
    builder.audio(1, testVoiceFrame());  // named by no channel
    builder.write(recording());
    PS2AVI converter;

    const auto report = convert(converter, dir_.path() / "rec", 0b111);
    const std::size_t expectedVoiceChunks[] = {3, 3, 2};
    for (int channel = 0; channel < 3; ++channel) {
        const auto& file = report.channels[channel].files.at(0);
        EXPECT_EQ(chunksWithId(test::parseAvi(test::readFile(file.path)), "01wb"),
                  expectedVoiceChunks[channel]);
    }
}

// The first ten ranges one by one, then one line for the rest with their bytes in all;
// offsets in groups of three digits.
TEST(DescribeDamage, NamesTenRangesThenSumsUpTheRest) {
    SourceDamage damage;
    for (std::uint64_t i = 0; i < 13; ++i) {
        damage.addRange(1'000'000 * (i + 1), 1'000'000 * (i + 1) + 100 + i);
    }
    damage.end = WalkEnd::CutShort;
    damage.cutShortAt = 137'816;
    damage.indexMissing = true;
    const auto lines = describeDamage(damage, "rec.h264");
    ASSERT_EQ(lines.size(), 1u + 10 + 1 + 1);
    EXPECT_EQ(lines[0],
              "rec.h264: the index is missing (the recording was not closed); converted from its "
              "frames");
    EXPECT_EQ(lines[1], "rec.h264: damaged at byte 1,000,000: 100 bytes skipped");
    EXPECT_EQ(lines[10], "rec.h264: damaged at byte 10,000,000: 109 bytes skipped");
    EXPECT_EQ(lines[11], "rec.h264: ... and 3 more damaged ranges (333 bytes in all)");
    EXPECT_EQ(lines[12],
              "rec.h264: ends inside a record at byte 137,816 (the recording was cut "
              "short)");
    EXPECT_TRUE(damage.damaged());
    EXPECT_TRUE(describeDamage(SourceDamage{}, "rec.h264").empty());
    EXPECT_FALSE(SourceDamage{}.damaged());
}

}  // namespace
}  // namespace kinorex
