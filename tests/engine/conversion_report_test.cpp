// What a conversion reports and where its frames go: files that cannot be made, a disk that
// fills up, a source cut short, channels split into parts, voice routed by audio channel.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "avi_layout.h"
#include "ps2avi.h"
#include "recording_builder.h"
#include "small_disk.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

using test::RecordingBuilder;
using test::testPayload;

constexpr std::uint32_t kKeyFrameFlag = 0x10;

class ConversionReportTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_.path()); }

    std::string recording() const { return (dir_.path() / "rec.h264").string(); }

    // Converts to the end into files named from prefix and gives the report.
    ConversionReport convert(PS2AVI& converter, const std::string& prefix, std::uint32_t mask) {
        EXPECT_EQ(converter.Start(recording().c_str(), mask, prefix.c_str()), 1);
        EXPECT_TRUE(test::waitUntil([&] { return converter.IsFinished() != 0; }));
        converter.Stop();
        return converter.report();
    }

    test::TempPath dir_{"conversion-report"};
};

std::size_t chunksWithId(const test::AviLayout& layout, const std::string& id) {
    std::size_t count = 0;
    for (const auto& chunk : layout.movi) {
        count += chunk.id == id;
    }
    return count;
}

TEST_F(ConversionReportTest, FileThatCannotBeCreatedLosesItsFramesAndNothingElse) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100)).video(0, testPayload(100));
    builder.write(recording());
    PS2AVI converter;
    const auto missingFolder = dir_.path() / "missing" / "rec";

    const auto report = convert(converter, missingFolder.string(), 1);
    const auto& file = report.channels[0].files.at(0);
    EXPECT_EQ(file.path, missingFolder.string() + "_1.avi");
    EXPECT_FALSE(file.created);
    EXPECT_EQ(file.firstError, "No such file or directory");
    EXPECT_EQ(file.chunksLost, 2u);
    EXPECT_EQ(describeLosses(report),
              std::vector<std::string>{file.path +
                                       ": No such file or directory; 2 of 2 frames not written"});
}

TEST_F(ConversionReportTest, FullDiskCountsEveryFrameAsWrittenOrLost) {
    // Several times the writer's block, so the disk fills while the worker runs.
    constexpr int kFrames = 120;
    RecordingBuilder builder;
    for (int i = 0; i < kFrames; ++i) {
        builder.video(0, testPayload(30000, i), i % 10 == 0).video(1, testPayload(500, i));
    }
    builder.write(recording());
    test::SmallDisk disk(1536 * 1024);
    PS2AVI converter;

    const auto report = convert(converter, (disk.path() / "rec").string(), 0b11);
    EXPECT_TRUE(report.hasLosses());
    bool sawFullDisk = false;
    for (int channel = 0; channel < 2; ++channel) {
        const auto& file = report.channels[channel].files.at(0);
        EXPECT_EQ(file.chunksWritten + file.chunksLost, std::uint64_t{kFrames});
        if (file.hasLosses()) {
            EXPECT_EQ(file.firstError, disk.fullText());
            sawFullDisk = true;
        }
        if (file.chunksWritten > 0) {
            // What the report calls written is exactly what the file holds.
            EXPECT_EQ(test::parseAvi(test::readFile(file.path)).movi.size(), file.chunksWritten);
        }
    }
    EXPECT_TRUE(sawFullDisk);
    EXPECT_GT(report.channels[0].files[0].chunksWritten, 0u);  // it filled midway
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

TEST_F(ConversionReportTest, SourceCutShortWhileConvertingLeavesCompleteFiles) {
    RecordingBuilder builder;
    for (int i = 0; i < 200; ++i) {
        builder.video(0, testPayload(1000, i), i % 25 == 0);
    }
    builder.write(recording());
    TruncatingConverter converter;
    converter.path = recording();

    const auto report = convert(converter, (dir_.path() / "rec").string(), 1);
    const auto& file = report.channels[0].files.at(0);
    EXPECT_FALSE(file.hasLosses());
    EXPECT_GT(file.chunksWritten, 0u);
    EXPECT_LT(file.chunksWritten, 200u);
    const auto layout = test::parseAvi(test::readFile(file.path));
    EXPECT_TRUE(layout.hasIdx1);
    EXPECT_EQ(layout.idx1.size(), file.chunksWritten);
}

TEST_F(ConversionReportTest, BigChannelsGoOnInPartsThatEachStartAtAKeyFrameWherePossible) {
    constexpr int kFrames = 150;
    RecordingBuilder builder;
    for (int i = 0; i < kFrames; ++i) {
        // Channel 1 has a key frame every ten frames, channel 2 only its first.
        builder.video(0, testPayload(1000, i), i % 10 == 0, 1)
            .video(1, testPayload(1000, i), i == 0, 2);
        builder.audio(0, testPayload(8, i));
    }
    builder.write(recording());
    PS2AVI converter(PartLimits{.maxFileSize = 40000, .keyFrameMargin = 12000});

    const auto report = convert(converter, (dir_.path() / "rec").string(), 0b11);
    EXPECT_FALSE(report.hasLosses());
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel + 1);
        const auto& files = report.channels[channel].files;
        ASSERT_GE(files.size(), 3u);
        std::size_t videoFrames = 0;
        for (std::size_t part = 0; part < files.size(); ++part) {
            const std::string suffix = part == 0 ? "" : "_part" + std::to_string(part + 1);
            EXPECT_EQ(files[part].path, (dir_.path() / "rec").string() + "_" +
                                            std::to_string(channel + 1) + suffix + ".avi");
            const auto layout = test::parseAvi(test::readFile(files[part].path));
            EXPECT_LE(std::filesystem::file_size(files[part].path), 40000u);
            EXPECT_EQ(layout.strh.size(), channel == 0 ? 2u : 1u);  // same streams in each part
            ASSERT_TRUE(layout.hasIdx1);
            ASSERT_EQ(layout.idx1.size(), layout.movi.size());
            videoFrames += chunksWithId(layout, "00dc");
            // Where key frames come, each part starts with one; otherwise the limit decides.
            const bool startsWithKeyFrame = layout.idx1[0].flags & kKeyFrameFlag;
            EXPECT_EQ(startsWithKeyFrame, channel == 0 || part == 0) << part;
        }
        EXPECT_EQ(videoFrames, std::size_t{kFrames});
    }
}

TEST_F(ConversionReportTest, VoiceGoesToEveryChannelThatNamesIt) {
    RecordingBuilder builder;
    builder
        .video(0, testPayload(100), true, 1)   // channel 1: its own voice
        .video(1, testPayload(100), true, 1)   // channel 2: channel 1's voice
        .video(2, testPayload(100), true, 4)   // channel 3: channel 4's voice
        .video(3, testPayload(100), true, 4);  // channel 4: not converted
    for (int i = 0; i < 3; ++i) {
        builder.audio(0, testPayload(8, i));
    }
    for (int i = 0; i < 2; ++i) {
        builder.audio(3, testPayload(8, i));
    }
    builder.audio(1, testPayload(8));  // named by no channel
    builder.write(recording());
    PS2AVI converter;

    const auto report = convert(converter, (dir_.path() / "rec").string(), 0b111);
    EXPECT_FALSE(report.hasLosses());
    const std::size_t expectedVoice[] = {3, 3, 2};
    for (int channel = 0; channel < 3; ++channel) {
        const auto layout =
            test::parseAvi(test::readFile(report.channels[channel].files.at(0).path));
        EXPECT_EQ(chunksWithId(layout, "01wb"), expectedVoice[channel]) << channel + 1;
    }
}

}  // namespace
}  // namespace kinorex
