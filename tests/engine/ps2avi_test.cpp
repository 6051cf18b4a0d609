// The converter on small recordings built byte by byte: what the pre-scan finds, which
// files a conversion makes, and the converter's life cycle.
#include "ps2avi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "avi_test_support.h"
#include "output_naming.h"
#include "processes.h"
#include "recording_builder.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

using test::RecordingBuilder;
using test::testPayload;
using test::testVoiceFrame;

constexpr std::uint32_t kChannels1And2 = 0b11;

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool waitUntilFinished(PS2AVI& converter) {
    return test::waitUntil([&] { return converter.IsFinished() != 0; });
}

class PS2AVITest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_.path()); }

    std::string recording() const { return (dir_.path() / "rec.h264").string(); }
    std::string prefix() const { return (dir_.path() / "rec").string(); }
    std::string aviPath(int channelNumber) const {
        return prefix() + "_" + std::to_string(channelNumber) + ".avi";
    }

    // The pre-scan's channel table for the recording the builder makes.
    ChannelTable scan(const RecordingBuilder& builder, std::uint32_t mask,
                      bool* scannedWhole = nullptr) {
        builder.write(recording());
        ChannelTable fromHeader{};
        ChannelTable scanned{};
        EXPECT_TRUE(
            converter_.inspect(recording().c_str(), mask, fromHeader, scanned, scannedWhole));
        return scanned;
    }

    // Converts to the end and gives the names of the AVI files made.
    std::set<std::string> convert(const RecordingBuilder& builder, std::uint32_t mask) {
        builder.write(recording());
        EXPECT_EQ(converter_.Start(recording().c_str(), mask, prefix().c_str()), 1);
        EXPECT_TRUE(waitUntilFinished(converter_));
        converter_.Stop();
        return test::fileNamesWithExtension(dir_.path(), ".avi");
    }

    test::TempPath dir_{"ps2avi"};
    PS2AVI converter_;
};

TEST_F(PS2AVITest, PreScanEndsAfterSelectedCountTimes10000CountedRecords) {
    RecordingBuilder builder;
    // Records outside channels 1..16 and of unknown types are not counted.
    builder.video(16, testPayload(4)).record({.channelIndex = 0, .type = 7});
    for (int i = 0; i < 20000; ++i) {
        builder.video(0, testPayload(4), false, 1);
    }
    builder.video(40, testPayload(4)).record({.channelIndex = 1, .type = 1});
    builder.video(1, testPayload(4));    // record 20001: still seen
    builder.video(2, testPayload(4));    // beyond the limit
    builder.audio(0, testVoiceFrame());  // would give channel 1 audio

    bool whole = true;
    const ChannelTable table = scan(builder, kChannels1And2, &whole);
    EXPECT_TRUE(table[0].hasVideo);
    EXPECT_TRUE(table[1].hasVideo);
    EXPECT_FALSE(table[2].hasVideo);
    EXPECT_FALSE(table[0].hasAudio);
    EXPECT_EQ(table[0].videoFrames, 20000);
    EXPECT_FALSE(whole) << "stopped at its bound";

    // With all 16 channels selected the bound lies beyond the end.
    EXPECT_EQ(scan(builder, 0xFFFF, &whole)[2].videoFrames, 1);
    EXPECT_TRUE(whole);
}

TEST_F(PS2AVITest, AudioCountsOnlyAfterItsChannelShowedVideo) {
    RecordingBuilder early;
    early.audio(0, testVoiceFrame()).video(0, testPayload(8), true, 1);
    EXPECT_FALSE(scan(early, 1)[0].hasAudio);

    RecordingBuilder late;
    late.audio(0, testVoiceFrame()).video(0, testPayload(8), true, 1).audio(0, testVoiceFrame());
    EXPECT_TRUE(scan(late, 1)[0].hasAudio);
}

TEST_F(PS2AVITest, AudioChannelNumberDecidesWhoseAudioAChannelGets) {
    RecordingBuilder builder;
    builder
        .video(0, testPayload(8), true, 0)  // channel 1 names no audio channel
        .video(1, testPayload(8), true, 1)  // channel 2 names channel 1's audio
        .audio(0, testVoiceFrame())
        .audio(1, testVoiceFrame());
    const ChannelTable table = scan(builder, kChannels1And2);
    EXPECT_FALSE(table[0].hasAudio);
    EXPECT_TRUE(table[1].hasAudio);
    EXPECT_EQ(table[1].audioChannel, 1);
}

TEST_F(PS2AVITest, KeyFrameBeforeTheAudioSetsTheRateTo25) {
    RecordingBuilder builder;
    builder.channel(1, 0, 3).channel(2, 0, 3).channel(3, 0, 0);  // 6, 6 and 0 fps
    builder.video(0, testPayload(8), true, 1).audio(0, testVoiceFrame());
    // Channels 2 and 3 find their audio before any key frame.
    builder.video(1, testPayload(8), false, 2).audio(1, testVoiceFrame());
    builder.video(1, testPayload(8), true, 2);
    builder.video(2, testPayload(8), false, 3).audio(2, testVoiceFrame());
    builder.video(2, testPayload(8), true, 3);

    const ChannelTable table = scan(builder, 0b111);
    EXPECT_EQ(table[0].frameRate, 25);
    EXPECT_EQ(table[1].frameRate, 6);
    EXPECT_EQ(table[2].frameRate, 0);
}

TEST_F(PS2AVITest, FilesOnlyForSelectedChannelsWithVideo) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100), true, 1)
        .video(1, testPayload(100))
        .video(2, testPayload(100))
        .audio(3, testVoiceFrame());  // channel 4: audio but no video
    EXPECT_EQ(convert(builder, 0b1101), (std::set<std::string>{"rec_1.avi", "rec_3.avi"}));
}

TEST_F(PS2AVITest, ChannelWithoutAudioChannelNumberGetsNoAudioStream) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100), true, 0).audio(0, testVoiceFrame());
    ASSERT_EQ(convert(builder, 1).size(), 1u);

    const test::AviLayout layout = test::parseAvi(test::readFile(aviPath(1)));
    EXPECT_EQ(layout.strh.size(), 1u);
    ASSERT_EQ(layout.movi.size(), 1u);
    EXPECT_EQ(layout.movi[0].id, "00dc");
}

TEST_F(PS2AVITest, FileThatCannotBeMadeLosesOnlyItsChannelsFrames) {
    // With this prefix "_1.avi" just fits in 260 bytes and "_10.avi" does not.
    const std::string folder = dir_.string() + "/";
    ASSERT_GE(folder.size(), 4u) << "the file's own name would pass 255 bytes";
    const std::string longPrefix =
        folder + std::string(kMaxOutputNameBytes - 7 - folder.size(), 'p');
    RecordingBuilder builder;
    builder.video(0, testPayload(100)).video(9, testPayload(100));
    builder.write(recording());

    ASSERT_EQ(converter_.Start(recording().c_str(), 0xFFFF, longPrefix.c_str()), 1);
    ASSERT_TRUE(waitUntilFinished(converter_));
    converter_.Stop();
    EXPECT_TRUE(std::filesystem::exists(longPrefix + "_1.avi"));
    const auto report = converter_.report();
    EXPECT_FALSE(report.channels[0].files.at(0).hasLosses());
    const auto& tooLong = report.channels[9].files.at(0);
    EXPECT_FALSE(tooLong.created);
    EXPECT_EQ(tooLong.firstError, "File name too long");
    EXPECT_EQ(tooLong.chunksLost, 1u);

    const std::string missingFolder = dir_.string() + "/missing/rec";
    ASSERT_EQ(converter_.Start(recording().c_str(), 1, missingFolder.c_str()), 1);
    ASSERT_TRUE(waitUntilFinished(converter_));
    converter_.Stop();
    EXPECT_EQ(
        describeLosses(converter_.report()),
        std::vector<std::string>{
            missingFolder + "_1.avi: No such file or directory; 1 of 1 video frames not written"});
}

TEST_F(PS2AVITest, AFileThatCannotTakeItsPlaceIsSaidAndRemoved) {
    // A folder of the file's name, not empty, is never replaced.
    std::filesystem::create_directories(aviPath(1));
    writeText(std::filesystem::path(aviPath(1)) / "kept", "kept");
    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    convert(builder, 1);
    const auto losses = describeLosses(converter_.report());
    ASSERT_EQ(losses.size(), 1u);
    EXPECT_TRUE(losses[0].starts_with(aviPath(1) + ": cannot be replaced: ")) << losses[0];
    EXPECT_EQ(contentsOf(std::filesystem::path(aviPath(1)) / "kept"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

TEST_F(PS2AVITest, StopIsHarmlessWhenNothingRunsAndWhenRepeated) {
    converter_.Stop();
    converter_.Stop();
    EXPECT_EQ(converter_.GetProgress(), 0);

    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    convert(builder, 1);
    converter_.Stop();
    EXPECT_EQ(converter_.GetProgress(), 0);
    EXPECT_EQ(test::parseAvi(test::readFile(aviPath(1))).movi.size(), 1u);
}

TEST_F(PS2AVITest, FinishedStaysSetUntilTheNextStart) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    convert(builder, 1);
    EXPECT_NE(converter_.IsFinished(), 0);  // also after Stop

    EXPECT_EQ(converter_.Start((dir_.string() + "/missing.h264").c_str(), 1, prefix().c_str()), 0);
    EXPECT_EQ(converter_.IsFinished(), 0);
}

TEST_F(PS2AVITest, InspectRefusesFromStartUntilStop) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    builder.write(recording());
    ASSERT_EQ(converter_.Start(recording().c_str(), 1, prefix().c_str()), 1);
    ChannelTable fromHeader{};
    ChannelTable scanned{};
    EXPECT_FALSE(converter_.inspect(recording().c_str(), 1, fromHeader, scanned));
    EXPECT_EQ(scanned[0].hasVideo, 0) << "touches nothing";
    converter_.Stop();
    EXPECT_TRUE(converter_.inspect(recording().c_str(), 1, fromHeader, scanned));
    EXPECT_EQ(scanned[0].hasVideo, 1);
}

TEST_F(PS2AVITest, ANewSetOfFilesReplacesTheOldSetAndWhatDeadRunsLeftAside) {
    const auto folder = dir_.path();
    const auto deadRun = std::to_string(test::endedProcessId());
    std::map<std::string, bool> before = {
        // name: whether it is still there after the conversion
        {"rec_1.avi", true},  // replaced
        {"rec_1_part2.avi", false},
        {"rec_1_part3.avi", false},
        {"rec_2_part2.avi", true},  // channel 2 is not converted
        {"rec_1_part2.mkv", true},
        {".rec_1.avi." + deadRun + ".kinorex-partial", false},
        {".rec_1_part4.avi." + deadRun + ".kinorex-partial", false},
        {".rec_2.avi." + deadRun + ".kinorex-partial", true},
        {".notes.avi." + deadRun + ".kinorex-partial", true},
    };
    if (const auto liveRun = test::runningOtherProcessId()) {  // another run is writing it
        before[".rec_1.avi." + std::to_string(*liveRun) + ".kinorex-partial"] = true;
    }
    for (const auto& [name, kept] : before) {
        writeText(folder / name, "earlier");
    }
    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    convert(builder, 1);

    std::set<std::string> after;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        after.insert(entry.path().filename().string());
    }
    std::set<std::string> expected = {"rec.h264"};
    for (const auto& [name, kept] : before) {
        if (kept) {
            expected.insert(name);
        }
    }
    EXPECT_EQ(after, expected);
    EXPECT_EQ(test::parseAvi(test::readFile(aviPath(1))).movi.size(), 1u);
    EXPECT_EQ(contentsOf(folder / "rec_2_part2.avi"), "earlier");
}

// A converter whose worker thread cannot be started, or whose worker cannot get its buffer.
class StarvedConverter : public PS2AVI {
public:
    bool noThread = false;
    bool noPcmBuffer = false;

    ~StarvedConverter() override { Stop(); }

protected:
    std::thread launchWorker() override {
        if (noThread) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return PS2AVI::launchWorker();
    }
    std::unique_ptr<std::int16_t[]> allocatePcmBuffer() override {
        return noPcmBuffer ? nullptr : PS2AVI::allocatePcmBuffer();
    }
};

TEST_F(PS2AVITest, WithoutAWorkerThreadStartFailsAndLeavesNothingOpen) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100), true, 1).audio(0, testVoiceFrame());
    builder.write(recording());
    StarvedConverter converter;
    converter.noThread = true;

    EXPECT_EQ(converter.Start(recording().c_str(), 1, prefix().c_str()), 0);
    EXPECT_EQ(converter.GetProgress(), 0);  // the recording is closed
    // The file created holds no frame, so nothing is left of it: only the recording.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

TEST_F(PS2AVITest, WorkerWithoutItsBufferEndsAtOnceAndSaysSo) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100));
    builder.write(recording());
    StarvedConverter converter;
    converter.noPcmBuffer = true;

    ASSERT_EQ(converter.Start(recording().c_str(), 1, prefix().c_str()), 1);
    EXPECT_TRUE(waitUntilFinished(converter));
    converter.Stop();
    EXPECT_FALSE(std::filesystem::exists(aviPath(1)));  // it would hold no frame
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
    const SourceDamage damage = converter.report().source;
    EXPECT_EQ(damage.end, WalkEnd::Failed);
    EXPECT_TRUE(damage.failed());
    EXPECT_FALSE(damage.failure.empty());
}

TEST_F(PS2AVITest, ARunCutShortKeepsTheEarlierFilesAndSaysSo) {
    RecordingBuilder builder;
    builder.video(0, testPayload(100)).video(1, testPayload(100));
    builder.write(recording());
    writeText(aviPath(1), "earlier");
    writeText(dir_.path() / "rec_1_part2.avi", "earlier part");
    StarvedConverter converter;  // its walk stops before the first record
    converter.noPcmBuffer = true;

    ASSERT_EQ(converter.Start(recording().c_str(), kChannels1And2, prefix().c_str()), 1);
    EXPECT_TRUE(waitUntilFinished(converter));
    converter.Stop();
    EXPECT_EQ(contentsOf(aviPath(1)), "earlier");
    EXPECT_EQ(contentsOf(dir_.path() / "rec_1_part2.avi"), "earlier part");
    EXPECT_FALSE(std::filesystem::exists(aviPath(2)));  // nothing to keep, nothing written
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 3);
    EXPECT_EQ(
        describeLosses(converter.report()),
        std::vector<std::string>{aviPath(1) + ": interrupted; the earlier rec_1.avi was kept"});
}

}  // namespace
}  // namespace kinorex
