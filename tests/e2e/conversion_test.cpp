// Recordings generated from the real H.264 clips and speech in tests/fixtures, converted by
// PS2AVI: every frame must arrive unchanged and every voice frame decoded, in files that
// ffprobe and ffmpeg read without complaint.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
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

#ifdef KINOREX_WITH_FFMPEG

// A stream's NAL units without their start codes (of either length) and trailing zero
// bytes: the same units in MP4's length-prefixed form read back the same.
std::vector<std::vector<std::uint8_t>> nalUnits(const std::vector<std::uint8_t>& annexB) {
    std::vector<std::vector<std::uint8_t>> units;
    std::size_t start = std::string::npos;
    auto close = [&](std::size_t end) {
        while (end > start && annexB[end - 1] == 0) {
            --end;
        }
        units.emplace_back(annexB.begin() + static_cast<std::ptrdiff_t>(start),
                           annexB.begin() + static_cast<std::ptrdiff_t>(end));
    };
    for (std::size_t i = 0; i + 3 <= annexB.size(); ++i) {
        if (annexB[i] == 0 && annexB[i + 1] == 0 && annexB[i + 2] == 1) {
            if (start != std::string::npos) {
                close(i);
            }
            start = i + 3;
            i += 2;
        }
    }
    if (start != std::string::npos) {
        close(annexB.size());
    }
    return units;
}

// ffmpeg's own copy of one stream of a file ("v" or "a") in a raw format: "h264" gives the
// video in Annex B form, "s16le" the audio as PCM, decoded where it is compressed and cut
// where its timestamps say it starts, as a player presents it (the AAC encoder's delay).
std::vector<std::uint8_t> extracted(const std::string& path, const char* stream,
                                    const std::string& rawFormat) {
    const std::string out = path + "." + rawFormat;
    const std::string codec =
        rawFormat == "h264" ? " -c copy" : " -af atrim=start=0 -ac 1 -ar 8000";
    int status = 0;
    const auto output =
        test::runCommand("ffmpeg -nostdin -v error -y -copyts -i '" + path + "' -map 0:" + stream +
                             codec + " -f " + rawFormat + " '" + out + "'",
                         status);
    EXPECT_EQ(status, 0) << output;
    return status == 0 ? test::readFileBytes(out) : std::vector<std::uint8_t>{};
}

std::string probed(const std::string& path, const std::string& entries) {
    int status = 0;
    auto text = test::runCommand(
        "ffprobe -v error -of default=nw=1:nk=1 -show_entries " + entries + " '" + path + "'",
        status);
    EXPECT_EQ(status, 0) << text;
    return text;
}

// The video stream's duration in seconds where the file gives it, else the file's.
double durationOf(const std::string& path) {
    const auto video = probed(path, "stream=duration -select_streams v:0");
    return std::atof((video.starts_with("N/A") ? probed(path, "format=duration") : video).c_str());
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Where `decoded` matches `reference` best, as its lag in samples, and the signal-to-noise
// ratio in dB at that lag over the samples both have.
struct Alignment {
    int lag = 0;
    double snr = -1e9;
};

Alignment align(const std::vector<std::int16_t>& reference,
                const std::vector<std::int16_t>& decoded, int maxLag) {
    Alignment best;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double signal = 0;
        double noise = 0;
        for (std::size_t i = 0; i < reference.size(); ++i) {
            const auto j = static_cast<std::ptrdiff_t>(i) + lag;
            if (j >= 0 && static_cast<std::size_t>(j) < decoded.size()) {
                const double difference = decoded[static_cast<std::size_t>(j)] - reference[i];
                signal += static_cast<double>(reference[i]) * reference[i];
                noise += difference * difference;
            }
        }
        const double snr = 10 * std::log10(signal / std::max(noise, 1.0));
        if (snr > best.snr) {
            best = {lag, snr};
        }
    }
    return best;
}

// The types of an MP4 file's top-level boxes, in order.
std::vector<std::string> topLevelBoxes(const std::vector<std::uint8_t>& file) {
    std::vector<std::string> boxes;
    for (std::uint64_t at = 0; at + 8 <= file.size();) {
        const std::uint64_t size =
            std::uint64_t{file[at]} << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        boxes.emplace_back(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (size < 8) {  // 64-bit sizes: none of the test files needs them
            ADD_FAILURE() << "box size " << size;
            break;
        }
        at += size;
    }
    return boxes;
}

struct MuxedCase {
    OutputFormat format;
    bool fragmented;  // an MP4 file in fragments, as a long recording gets
};

class MuxedConversionTest : public ConversionTest, public ::testing::WithParamInterface<MuxedCase> {
protected:
    void convert(PS2AVI& converter, std::uint32_t mask) {
        ASSERT_EQ(converter.Start(recording().c_str(), mask, prefix().c_str()), 1);
        ASSERT_TRUE(test::waitUntil([&] { return converter.IsFinished() != 0; }));
        converter.Stop();
        EXPECT_FALSE(converter.report().hasLosses());
    }

    PS2AVI muxer_{PartLimits{.fragmentMp4Above = GetParam().fragmented ? 0 : ~0ull}};
};

// Each channel converted to AVI and to the format: the format's file holds the AVI's video
// NAL units unchanged and, in Matroska, its PCM bit for bit; MP4's AAC decodes to the AVI's
// PCM, aligned and close; both read cleanly in ffprobe and ffmpeg.
TEST_P(MuxedConversionTest, HoldsWhatTheAviHolds) {
    const OutputFormat format = GetParam().format;
    const std::string extension(formatName(format));
    tools::generateRecording(planFor(recording(), {kSources[0], kSources[2], kSources[3]}, 12));
    const std::uint32_t mask = 1u << 0 | 1u << 3 | 1u << 6;
    convert(converter_, mask);
    muxer_.setOutputFormat(format);
    convert(muxer_, mask);
    EXPECT_EQ(
        test::fileNamesWithExtension(dir_.path(), "." + extension),
        (std::set<std::string>{"rec_1." + extension, "rec_4." + extension, "rec_7." + extension}));

    for (const Source& source : {kSources[0], kSources[2], kSources[3]}) {
        SCOPED_TRACE(source.clip);
        const std::string avi = aviPath(source.channelNumber);
        const std::string path =
            prefix() + "_" + std::to_string(source.channelNumber) + "." + extension;
        const std::vector<std::byte> aviFile = test::readFile(avi);
        std::vector<std::uint8_t> aviVideo;
        std::vector<std::uint8_t> aviPcm;
        std::size_t videoFrames = 0;
        for (const auto& chunk : test::parseAvi(aviFile).movi) {
            const auto* data =
                reinterpret_cast<const std::uint8_t*>(aviFile.data() + chunk.offset + 8);
            auto& into = chunk.id == "00dc" ? aviVideo : aviPcm;
            into.insert(into.end(), data, data + chunk.size);
            videoFrames += chunk.id == "00dc";
        }

        auto streams = test::probeStreams(path);
        auto aviStreams = test::probeStreams(avi);
        ASSERT_EQ(streams.size(), source.speech ? 2u : 1u);
        ASSERT_FALSE(aviStreams.empty());
        EXPECT_EQ(streams[0]["codec_name"], "h264");
        EXPECT_EQ(streams[0]["width"], aviStreams[0]["width"]);
        EXPECT_EQ(streams[0]["height"], aviStreams[0]["height"]);
        EXPECT_EQ(streams[0]["r_frame_rate"], "25/1");
        EXPECT_EQ(streams[0]["nb_read_packets"], std::to_string(videoFrames));
        EXPECT_EQ(test::decodeErrors(path), "");
        EXPECT_TRUE(nalUnits(extracted(path, "v", "h264")) == nalUnits(aviVideo))
            << "video NAL units differ";
        EXPECT_NEAR(durationOf(path), durationOf(avi), 0.04);
        if (format == OutputFormat::Mp4) {
            const auto boxes = topLevelBoxes(test::readFileBytes(path));
            const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
            EXPECT_LT(moov, std::find(boxes.begin(), boxes.end(), "mdat"));
            EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moof") > 0, GetParam().fragmented);
        }
        if (!source.speech) {
            continue;
        }
        EXPECT_EQ(streams[1]["sample_rate"], "8000");
        EXPECT_EQ(streams[1]["channels"], "1");
        const auto pcm = extracted(path, "a", "s16le");
        if (format == OutputFormat::Mkv) {
            EXPECT_EQ(streams[1]["codec_name"], "pcm_s16le");
            EXPECT_TRUE(pcm == aviPcm) << "PCM differs";
            continue;
        }
        EXPECT_EQ(streams[1]["codec_name"], "aac");
        EXPECT_EQ(probed(path, "stream=profile -select_streams a"), "LC\n");
        EXPECT_NEAR(pcm.size() / 16000.0, aviPcm.size() / 16000.0, 0.04);
        const Alignment alignment = align(samplesOf(aviPcm), samplesOf(pcm), 80);
        EXPECT_LE(std::abs(alignment.lag), 8) << "more than 1 ms apart";
        EXPECT_GE(alignment.snr, 15.0);
        std::cout << path << ": AAC lag " << alignment.lag << " samples, SNR " << alignment.snr
                  << " dB\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, MuxedConversionTest,
                         ::testing::Values(MuxedCase{OutputFormat::Mp4, false},
                                           MuxedCase{OutputFormat::Mp4, true},
                                           MuxedCase{OutputFormat::Mkv, false}),
                         [](const auto& info) {
                             return std::string(formatName(info.param.format)) +
                                    (info.param.fragmented ? "_fragmented" : "");
                         });

#endif

}  // namespace
}  // namespace kinorex
