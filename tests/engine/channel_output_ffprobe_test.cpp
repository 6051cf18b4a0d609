// Checks the files with ffprobe and ffmpeg, as independent readers: real H.264 frames from
// tests/fixtures and PCM must come out as two clean streams.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "avi_test_support.h"
#include "engine/channel_output.h"

namespace kinorex {
namespace {

constexpr int kFrameRate = 25;
constexpr int kPcmBytesPerFrame = 8000 / kFrameRate * 2;

struct AccessUnit {
    std::vector<std::byte> bytes;
    bool keyFrame = false;
};

// The fixture starts every access unit with an access unit delimiter (NAL type 9).
std::vector<AccessUnit> splitAccessUnits(const std::vector<std::byte>& stream) {
    std::vector<AccessUnit> units;
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i + 3 < stream.size(); ++i) {
        if (stream[i] != std::byte{0} || stream[i + 1] != std::byte{0} ||
            stream[i + 2] != std::byte{1}) {
            continue;
        }
        int nalType = std::to_integer<int>(stream[i + 3]) & 0x1F;
        if (nalType == 9) {
            starts.push_back(i > 0 && stream[i - 1] == std::byte{0} ? i - 1 : i);
            units.emplace_back();
        } else if (nalType == 5 && !units.empty()) {
            units.back().keyFrame = true;  // IDR slice
        }
    }
    starts.push_back(stream.size());
    for (std::size_t k = 0; k < units.size(); ++k) {
        units[k].bytes.assign(stream.begin() + starts[k], stream.begin() + starts[k + 1]);
    }
    return units;
}

TEST(ChannelOutputFfprobeTest, RealH264AndPcmReadAsTwoCleanStreams) {
    ASSERT_EQ(std::system("command -v ffprobe >/dev/null && command -v ffmpeg >/dev/null"), 0)
        << "ffprobe and ffmpeg are needed (scripts/setup installs them)";
    auto clip = testing::readFile(KINOREX_SOURCE_DIR "/tests/fixtures/clip_160x120_25fps.h264");
    auto units = splitAccessUnits(clip);
    ASSERT_EQ(units.size(), 25u);
    ASSERT_TRUE(units[0].keyFrame);
    ASSERT_FALSE(units[1].keyFrame);

    std::string path = testing::tempPath("ffprobe.avi");
    ChannelOutput output;
    ASSERT_TRUE(output.Create(path.c_str()));
    ASSERT_EQ(output.CreateVideoStream(kFrameRate, 160, 120, 3), 0);
    ASSERT_EQ(output.CreateAudioStream(0), 0);
    std::vector<std::int16_t> pcm(kPcmBytesPerFrame / 2);
    for (std::size_t frame = 0; frame < units.size(); ++frame) {
        const auto& unit = units[frame].bytes;
        ASSERT_EQ(output.WriteVideo(unit.data(), static_cast<std::int32_t>(unit.size()),
                                    units[frame].keyFrame),
                  0);
        for (std::size_t i = 0; i < pcm.size(); ++i) {
            double t = double(frame * pcm.size() + i) / 8000;
            pcm[i] = static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * t));
        }
        ASSERT_EQ(output.WriteAudio(pcm.data(), kPcmBytesPerFrame), 0);
    }
    output.Release();

    auto streams = testing::probeStreams(path);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0]["codec_name"], "h264");
    EXPECT_EQ(streams[0]["width"], "160");
    EXPECT_EQ(streams[0]["height"], "120");
    EXPECT_EQ(streams[0]["r_frame_rate"], "25/1");
    EXPECT_EQ(streams[0]["nb_read_packets"], "25");
    EXPECT_EQ(streams[1]["codec_name"], "pcm_s16le");
    EXPECT_EQ(streams[1]["sample_rate"], "8000");
    EXPECT_EQ(streams[1]["channels"], "1");
    EXPECT_EQ(streams[1]["nb_read_packets"], "25");

    EXPECT_EQ(testing::run("ffmpeg -nostdin -v error -i '" + path + "' -f null -"), "");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kinorex
