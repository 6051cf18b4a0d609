// Recordings generated from the real H.264 clips and speech in tests/fixtures, converted by
// PS2AVI: every frame must arrive unchanged and every voice frame decoded, in files that
// ffprobe and ffmpeg read without complaint.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "annexb.h"
#include "avi_layout.h"
#include "ffprobe.h"
#include "hi_voice.h"
#include "media_files.h"
#include "ps2avi.h"
#include "recording_generator.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

constexpr std::uint32_t kAviKeyFrame = 0x10;

struct Source {
    int channelNumber;
    const char* clip;
    const char* speech;  // none when null
};

constexpr Source kSources[] = {
    {1, "pal_704x576_25fps.264", "speech_1.s16"},
    {2, "pal_352x288_25fps.264", "speech_2.s16"},
    {4, "pal_704x288_25fps.264", "speech_3.s16"},
    {7, "pal_352x288_25fps.264", nullptr},
};

tools::RecordingPlan planFor(const std::filesystem::path& output,
                             std::initializer_list<Source> sources, double loopSeconds = 0) {
    tools::RecordingPlan plan{.output = output, .loopSeconds = loopSeconds};
    for (const Source& source : sources) {
        tools::ChannelSource channel{.channelNumber = source.channelNumber,
                                     .video = test::fixturePath(source.clip)};
        if (source.speech) {
            channel.speech = test::fixturePath(source.speech);
        }
        plan.channels.push_back(channel);
    }
    return plan;
}

// What our decoder makes of the speech's voice frames, played `frameCount` frames long
// (looping through them), as the bytes of an AVI audio stream.
std::vector<std::byte> decodedSpeech(const char* speech, std::size_t frameCount) {
    const auto frames = tools::encodeSpeech(test::loadS16(test::fixturePath(speech)));
    HiVoiceContext decoder{};
    HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_ADPCM);
    std::vector<std::byte> bytes;
    for (std::size_t i = 0; i < frameCount; ++i) {
        std::vector<std::uint8_t> frame = frames[i % frames.size()];
        std::int16_t pcm[HI_VOICE_MAX_DECODED_SAMPLES];
        std::int16_t count = 0;
        EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm, &count), HI_VOICE_OK);
        const auto* raw = reinterpret_cast<const std::byte*>(pcm);
        bytes.insert(bytes.end(), raw, raw + 2 * count);
    }
    return bytes;
}

std::size_t voiceFrameCount(const char* speech) {
    return tools::encodeSpeech(test::loadS16(test::fixturePath(speech))).size();
}

struct ConvertedChannel {
    std::size_t videoFrames = 0;
    std::size_t pcmBytes = 0;
};

// Checks an AVI file against its sources: the video chunks are the clip's access units in
// order (looping), key frames flagged in idx1 exactly at the IDR pictures; the audio chunks,
// laid end to end, are a prefix of the speech as our decoder gives it.
ConvertedChannel expectChannelFile(const std::string& path, const Source& source) {
    const std::vector<std::byte> file = test::readFile(path);
    const test::AviLayout layout = test::parseAvi(file);
    EXPECT_EQ(layout.strh.size(), source.speech ? 2u : 1u) << path;
    EXPECT_EQ(layout.idx1.size(), layout.movi.size()) << path;

    const auto pictures =
        test::splitAccessUnits(test::readFileBytes(test::fixturePath(source.clip)));
    ConvertedChannel converted;
    std::vector<std::byte> pcm;
    for (std::size_t i = 0; i < layout.movi.size(); ++i) {
        const auto& chunk = layout.movi[i];
        const auto data = file.begin() + static_cast<std::ptrdiff_t>(chunk.offset + 8);
        if (chunk.id == "01wb") {
            pcm.insert(pcm.end(), data, data + chunk.size);
            continue;
        }
        EXPECT_EQ(chunk.id, "00dc") << path << " chunk " << i;
        const test::AccessUnit& picture = pictures[converted.videoFrames % pictures.size()];
        EXPECT_TRUE(chunk.size == picture.bytes.size() &&
                    std::memcmp(&*data, picture.bytes.data(), chunk.size) == 0)
            << path << ": video frame " << converted.videoFrames << " differs";
        if (i < layout.idx1.size()) {
            EXPECT_EQ((layout.idx1[i].flags & kAviKeyFrame) != 0, picture.idr)
                << path << ": key flag of video frame " << converted.videoFrames;
        }
        ++converted.videoFrames;
    }
    converted.pcmBytes = pcm.size();
    if (source.speech) {
        const std::size_t frameBytes = 2 * tools::kVoiceFrameSamples;
        EXPECT_EQ(pcm.size() % frameBytes, 0u) << path;
        EXPECT_TRUE(pcm == decodedSpeech(source.speech, pcm.size() / frameBytes))
            << path << ": PCM differs from the decoded voice frames";
    }
    return converted;
}

void expectCleanForFfmpeg(const std::string& path, std::size_t videoFrames, bool audio) {
    auto streams = test::probeStreams(path);
    ASSERT_EQ(streams.size(), audio ? 2u : 1u) << path;
    EXPECT_EQ(streams[0]["codec_name"], "h264");
    EXPECT_EQ(streams[0]["r_frame_rate"], "25/1");  // a key frame came before the audio
    EXPECT_EQ(streams[0]["nb_read_packets"], std::to_string(videoFrames));
    if (audio) {
        EXPECT_EQ(streams[1]["codec_name"], "pcm_s16le");
        EXPECT_EQ(streams[1]["sample_rate"], "8000");
        EXPECT_EQ(streams[1]["channels"], "1");
    }
    EXPECT_EQ(test::decodeErrors(path), "") << path;
}

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::ffmpegAvailable())
            << "ffprobe and ffmpeg are needed (scripts/setup installs them)";
        std::filesystem::create_directories(dir_.path());
    }

    std::string recording() const { return (dir_.path() / "rec.h264").string(); }
    std::string prefix() const { return (dir_.path() / "rec").string(); }
    std::string aviPath(int channelNumber) const {
        return prefix() + "_" + std::to_string(channelNumber) + ".avi";
    }
    std::set<std::string> aviFiles() const {
        return test::fileNamesWithExtension(dir_.path(), ".avi");
    }

    test::TempPath dir_{"e2e"};
    PS2AVI converter_;
};

TEST_F(ConversionTest, SelectedChannelsArriveFrameByFrame) {
    tools::RecordingPlan plan =
        planFor(recording(), {kSources[0], kSources[1], kSources[2], kSources[3]});
    // Records the converter must pass over, among the real ones.
    plan.strayChannelIndex = 16;
    plan.unknownType = 9;
    tools::generateRecording(plan);

    // Channels 1, 4, 7 and 9; channel 9 has nothing, channel 2 is not selected.
    const std::uint32_t mask = 1u << 0 | 1u << 3 | 1u << 6 | 1u << 8;
    ASSERT_EQ(converter_.Start(recording().c_str(), mask, prefix().c_str()), 1);
    ASSERT_TRUE(test::waitUntil([&] { return converter_.IsFinished() != 0; }));
    EXPECT_GE(converter_.GetProgress(), 100);
    converter_.Stop();

    EXPECT_EQ(aviFiles(), (std::set<std::string>{"rec_1.avi", "rec_4.avi", "rec_7.avi"}));
    for (const Source& source : {kSources[0], kSources[2], kSources[3]}) {
        SCOPED_TRACE(source.clip);
        const std::string path = aviPath(source.channelNumber);
        const ConvertedChannel converted = expectChannelFile(path, source);
        EXPECT_EQ(
            converted.videoFrames,
            test::splitAccessUnits(test::readFileBytes(test::fixturePath(source.clip))).size());
        if (source.speech) {
            EXPECT_EQ(converted.pcmBytes,
                      voiceFrameCount(source.speech) * 2 * tools::kVoiceFrameSamples);
        }
        expectCleanForFfmpeg(path, converted.videoFrames, source.speech != nullptr);
    }
}

TEST_F(ConversionTest, StopMidwayLeavesCompleteFilesOfWhatWasWritten) {
    const Source source = kSources[2];
    tools::generateRecording(planFor(recording(), {source}, 300));
    const std::size_t totalVideoFrames = 300 * 25;

    ASSERT_EQ(converter_.Start(recording().c_str(), 0xFFFF, prefix().c_str()), 1);
    ASSERT_TRUE(test::waitUntil([&] { return converter_.GetProgress() >= 2; }));
    converter_.Stop();

    // How far the worker got before the stop request is up to the machine; the files must
    // be complete whatever it was.
    const ConvertedChannel converted = expectChannelFile(aviPath(source.channelNumber), source);
    EXPECT_GT(converted.videoFrames, 0u);
    EXPECT_LE(converted.videoFrames, totalVideoFrames);
    expectCleanForFfmpeg(aviPath(source.channelNumber), converted.videoFrames, true);
}

}  // namespace
}  // namespace kinorex
