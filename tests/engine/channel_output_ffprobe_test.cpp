// Checks the files with ffprobe and ffmpeg, as independent readers: real H.264 frames from
// tests/fixtures and PCM must come out as two clean streams.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "annexb.h"
#include "channel_output.h"
#include "ffprobe.h"
#include "media_files.h"
#include "temp_path.h"

namespace kinorex {
namespace {

constexpr int kFrameRate = 25;
constexpr int kPcmBytesPerFrame = 8000 / kFrameRate * 2;

TEST(ChannelOutputFfprobeTest, RealH264AndPcmReadAsTwoCleanStreams) {
    ASSERT_TRUE(test::ffmpegAvailable())
        << "ffprobe and ffmpeg are needed (scripts/setup installs them)";
    const auto clip = test::readFileBytes(test::fixturePath("pal_352x288_25fps.264"));
    const auto units = test::splitAccessUnits(clip);
    ASSERT_EQ(units.size(), 100u);
    ASSERT_TRUE(units[0].idr);
    ASSERT_FALSE(units[1].idr);

    const test::TempPath path("ffprobe.avi");
    ChannelOutput output;
    ASSERT_TRUE(output.Create(path.c_str()));
    ASSERT_EQ(output.CreateVideoStream(kFrameRate, 352, 288, 3), 0);
    ASSERT_EQ(output.CreateAudioStream(0), 0);
    std::vector<std::int16_t> pcm(kPcmBytesPerFrame / 2);
    for (std::size_t frame = 0; frame < units.size(); ++frame) {
        const auto& unit = units[frame].bytes;
        ASSERT_EQ(output.WriteVideo(unit.data(), static_cast<std::int32_t>(unit.size()),
                                    units[frame].idr),
                  0);
        for (std::size_t i = 0; i < pcm.size(); ++i) {
            const double t = double(frame * pcm.size() + i) / 8000;
            pcm[i] = static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * t));
        }
        ASSERT_EQ(output.WriteAudio(pcm.data(), kPcmBytesPerFrame), 0);
    }
    output.Release();

    auto streams = test::probeStreams(path.string());
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0]["codec_name"], "h264");
    EXPECT_EQ(streams[0]["width"], "352");
    EXPECT_EQ(streams[0]["height"], "288");
    EXPECT_EQ(streams[0]["r_frame_rate"], "25/1");
    EXPECT_EQ(streams[0]["nb_read_packets"], "100");
    EXPECT_EQ(streams[1]["codec_name"], "pcm_s16le");
    EXPECT_EQ(streams[1]["sample_rate"], "8000");
    EXPECT_EQ(streams[1]["channels"], "1");
    EXPECT_EQ(streams[1]["nb_read_packets"], "100");

    EXPECT_EQ(test::decodeErrors(path.string()), "");
}

}  // namespace
}  // namespace kinorex
