#include "channel_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "avi_test_support.h"
#include "channel_formats.h"
#include "temp_path.h"

namespace kinorex {
namespace {

using test::parseAvi;
using test::readFile;
using test::tagAt;
using test::u16At;
using test::u32At;

const std::byte kFrame[8] = {std::byte{1}, std::byte{2}, std::byte{3}, std::byte{4},
                             std::byte{5}, std::byte{6}, std::byte{7}, std::byte{8}};

class ChannelOutputTest : public ::testing::Test {
protected:
    test::TempPath path_{"channel-output.avi"};
};

TEST_F(ChannelOutputTest, EveryHeaderFieldAndTheIndexReadBack) {
    ChannelOutput output;
    ASSERT_TRUE(output.Create(path_.c_str()));
    ASSERT_EQ(output.CreateVideoStream(25, 352, 288, 3), 0);
    ASSERT_EQ(output.CreateAudioStream(0), 0);
    ASSERT_EQ(output.WriteVideo(kFrame, 7, true), 0);
    ASSERT_EQ(output.WriteAudio(kFrame, 8), 0);
    ASSERT_EQ(output.WriteVideo(kFrame, 5, false), 0);
    ASSERT_EQ(output.WriteAudio(kFrame, 6), 0);
    output.Release();

    auto b = readFile(path_.string());
    auto layout = parseAvi(b);
    ASSERT_EQ(layout.strh.size(), 2u);

    const std::uint64_t avih = layout.avih;
    EXPECT_EQ(u32At(b, avih + 0), 40000u);  // dwMicroSecPerFrame
    EXPECT_EQ(u32At(b, avih + 4), 0u);      // dwMaxBytesPerSec
    EXPECT_EQ(u32At(b, avih + 8), 0u);      // dwPaddingGranularity
    EXPECT_EQ(u32At(b, avih + 12), 0x10u);  // dwFlags: AVIF_HASINDEX
    EXPECT_EQ(u32At(b, avih + 16), 2u);     // dwTotalFrames
    EXPECT_EQ(u32At(b, avih + 20), 0u);     // dwInitialFrames
    EXPECT_EQ(u32At(b, avih + 24), 2u);     // dwStreams
    EXPECT_EQ(u32At(b, avih + 28), 8u);     // dwSuggestedBufferSize: largest chunk
    EXPECT_EQ(u32At(b, avih + 32), 352u);   // dwWidth
    EXPECT_EQ(u32At(b, avih + 36), 288u);   // dwHeight
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(u32At(b, avih + 40 + 4 * i), 0u);  // dwReserved
    }

    const std::uint64_t vs = layout.strh[0];
    EXPECT_EQ(tagAt(b, vs + 0), "vids");           // fccType
    EXPECT_EQ(tagAt(b, vs + 4), "H264");           // fccHandler
    EXPECT_EQ(u32At(b, vs + 8), 1u);               // dwFlags
    EXPECT_EQ(u32At(b, vs + 12), 0u);              // wPriority, wLanguage
    EXPECT_EQ(u32At(b, vs + 16), 0u);              // dwInitialFrames
    EXPECT_EQ(u32At(b, vs + 20), 1000u);           // dwScale
    EXPECT_EQ(u32At(b, vs + 24), 25000u);          // dwRate
    EXPECT_EQ(u32At(b, vs + 28), 0u);              // dwStart
    EXPECT_EQ(u32At(b, vs + 32), 2u);              // dwLength: frames
    EXPECT_EQ(u32At(b, vs + 36), 352u * 288 * 3);  // dwSuggestedBufferSize
    EXPECT_EQ(u32At(b, vs + 40), 0u);              // dwQuality
    EXPECT_EQ(u32At(b, vs + 44), 0u);              // dwSampleSize
    EXPECT_EQ(u16At(b, vs + 48), 0u);              // rcFrame.left
    EXPECT_EQ(u16At(b, vs + 50), 0u);              // rcFrame.top
    EXPECT_EQ(u16At(b, vs + 52), 352u);            // rcFrame.right
    EXPECT_EQ(u16At(b, vs + 54), 288u);            // rcFrame.bottom

    const std::uint64_t vf = layout.strf[0];
    EXPECT_EQ(layout.strfSize[0], 40u);
    EXPECT_EQ(u32At(b, vf + 0), 40u);              // biSize
    EXPECT_EQ(u32At(b, vf + 4), 352u);             // biWidth
    EXPECT_EQ(u32At(b, vf + 8), 288u);             // biHeight
    EXPECT_EQ(u16At(b, vf + 12), 1u);              // biPlanes
    EXPECT_EQ(u16At(b, vf + 14), 24u);             // biBitCount
    EXPECT_EQ(tagAt(b, vf + 16), "H264");          // biCompression
    EXPECT_EQ(u32At(b, vf + 20), 352u * 288 * 3);  // biSizeImage
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(u32At(b, vf + 24 + 4 * i), 0u);  // biX/YPelsPerMeter, biClrUsed/Important
    }

    const std::uint64_t as = layout.strh[1];
    EXPECT_EQ(tagAt(b, as + 0), "auds");   // fccType
    EXPECT_EQ(u32At(b, as + 4), 0u);       // fccHandler
    EXPECT_EQ(u32At(b, as + 8), 0u);       // dwFlags
    EXPECT_EQ(u32At(b, as + 12), 0u);      // wPriority, wLanguage
    EXPECT_EQ(u32At(b, as + 16), 0u);      // dwInitialFrames
    EXPECT_EQ(u32At(b, as + 20), 2u);      // dwScale
    EXPECT_EQ(u32At(b, as + 24), 16000u);  // dwRate
    EXPECT_EQ(u32At(b, as + 28), 0u);      // dwStart
    EXPECT_EQ(u32At(b, as + 32), 7u);      // dwLength: 14 bytes / nBlockAlign 2
    EXPECT_EQ(u32At(b, as + 36), 8000u);   // dwSuggestedBufferSize
    EXPECT_EQ(u32At(b, as + 40), 0u);      // dwQuality
    EXPECT_EQ(u32At(b, as + 44), 2u);      // dwSampleSize
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(u16At(b, as + 48 + 2 * i), 0u);  // rcFrame
    }

    const std::uint64_t af = layout.strf[1];
    EXPECT_EQ(layout.strfSize[1], 18u);
    EXPECT_EQ(u16At(b, af + 0), 1u);      // wFormatTag: PCM
    EXPECT_EQ(u16At(b, af + 2), 1u);      // nChannels
    EXPECT_EQ(u32At(b, af + 4), 8000u);   // nSamplesPerSec
    EXPECT_EQ(u32At(b, af + 8), 16000u);  // nAvgBytesPerSec
    EXPECT_EQ(u16At(b, af + 12), 2u);     // nBlockAlign
    EXPECT_EQ(u16At(b, af + 14), 16u);    // wBitsPerSample
    EXPECT_EQ(u16At(b, af + 16), 0u);     // cbSize

    // Key frames and PCM blocks carry AVIIF_KEYFRAME, other video frames nothing.
    const std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>> chunks = {
        {"00dc", 0x10, 7}, {"01wb", 0x10, 8}, {"00dc", 0, 5}, {"01wb", 0x10, 6}};
    ASSERT_EQ(layout.idx1.size(), chunks.size());
    ASSERT_EQ(layout.movi.size(), chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_EQ(layout.idx1[i].id, std::get<0>(chunks[i]));
        EXPECT_EQ(layout.idx1[i].flags, std::get<1>(chunks[i]));
        EXPECT_EQ(layout.idx1[i].size, std::get<2>(chunks[i]));
        EXPECT_EQ(layout.idx1[i].offset, layout.movi[i].offset - layout.moviType);
    }
}

TEST_F(ChannelOutputTest, CodecCodesMapAsTabledAndOthersCreateNoStream) {
    const std::pair<std::int32_t, const char*> video[] = {
        {0, "XVID"}, {2, "H263"}, {3, "H264"}, {10, "XVID"}};
    for (auto [code, fcc] : video) {
        std::uint32_t expected = 0;
        std::memcpy(&expected, fcc, 4);
        EXPECT_EQ(videoFourCc(code), expected) << code;
    }
    const std::pair<std::int32_t, std::uint16_t> audio[] = {
        {0, 1}, {1, 85}, {2, 85}, {20, 0xA280}, {21, 0xA280}, {22, 0xA280}, {28, 0xA280}};
    for (auto [code, tag] : audio) {
        EXPECT_EQ(audioFormatTag(code), tag) << code;
    }
    for (std::int32_t code : {-1, 1, 4, 9, 11}) {
        EXPECT_FALSE(videoFourCc(code)) << code;
    }
    for (std::int32_t code : {-1, 3, 19, 23, 27, 29}) {
        EXPECT_FALSE(audioFormatTag(code)) << code;
    }

    ChannelOutput output;
    ASSERT_TRUE(output.Create(path_.c_str()));
    EXPECT_EQ(output.CreateVideoStream(25, 16, 16, 1), -1);
    EXPECT_EQ(output.CreateAudioStream(3), -1);
    EXPECT_EQ(output.WriteVideo(kFrame, 8, true), -1);
    output.Release();
    EXPECT_TRUE(parseAvi(readFile(path_.string())).strh.empty());
}

TEST_F(ChannelOutputTest, MissingStreamsAndMissingFileRefuseOrDropQuietly) {
    ChannelOutput output;
    EXPECT_EQ(output.CreateVideoStream(25, 16, 16, 3), -1) << "no file";
    EXPECT_EQ(output.CreateAudioStream(0), -1) << "no file";
    EXPECT_FALSE(output.Create((path_.string() + "/no/such/dir.avi").c_str()));
    EXPECT_EQ(output.WriteVideo(kFrame, 8, true), -1);
    EXPECT_EQ(output.WriteAudio(kFrame, 8), 0);

    ASSERT_TRUE(output.Create(path_.c_str()));
    ASSERT_EQ(output.CreateVideoStream(25, 16, 16, 3), 0);
    EXPECT_EQ(output.WriteAudio(kFrame, 8), 0) << "no audio stream: dropped";
    EXPECT_EQ(output.WriteVideo(kFrame, -1, true), EINVAL);
    EXPECT_EQ(output.WriteVideo(nullptr, 4, true), EINVAL);
    output.Release();
    EXPECT_EQ(parseAvi(readFile(path_.string())).movi.size(), 0u);
}

TEST_F(ChannelOutputTest, RateAndSizeZeroGiveZeroFieldsAndNoDivision) {
    ChannelOutput output;
    ASSERT_TRUE(output.Create(path_.c_str()));
    ASSERT_EQ(output.CreateVideoStream(0, 0, 0, 3), 0);
    ASSERT_EQ(output.WriteVideo(kFrame, 8, true), 0);
    output.Release();
    auto b = readFile(path_.string());
    auto layout = parseAvi(b);
    EXPECT_EQ(u32At(b, layout.avih), 0u);          // dwMicroSecPerFrame
    EXPECT_EQ(u32At(b, layout.strh[0] + 24), 0u);  // dwRate
    EXPECT_EQ(u32At(b, layout.strh[0] + 36), 0u);  // dwSuggestedBufferSize
    EXPECT_EQ(u32At(b, layout.strf[0] + 20), 0u);  // biSizeImage
}

TEST_F(ChannelOutputTest, CreateReplacesTheFileEveryTime) {
    {
        std::ofstream old(path_.path(), std::ios::binary);
        old << std::string(100000, 'x');
    }
    ChannelOutput output;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(output.Create(path_.c_str()));
        ASSERT_EQ(output.CreateVideoStream(25, 16, 16, 3), 0);
        ASSERT_EQ(output.CreateAudioStream(0), 0);
        for (int i = 0; i < round; ++i) {
            ASSERT_EQ(output.WriteVideo(kFrame, 8, true), 0);
            ASSERT_EQ(output.WriteAudio(kFrame, 4), 0);
        }
        output.Release();
        auto layout = parseAvi(readFile(path_.string()));
        EXPECT_EQ(layout.movi.size(), 2u * round);
    }
}

TEST_F(ChannelOutputTest, FileSizeLimitRefusesTheWriteThatWouldPassIt) {
    auto file = std::make_shared<test::MemoryFile>();
    ChannelOutput output(
        [file](const char*, std::unique_ptr<FileSink>& sink) {
            sink = std::make_unique<test::MemorySink>(file);
            return 0;
        },
        2000);
    ASSERT_TRUE(output.Create("memory.avi"));
    ASSERT_EQ(output.CreateVideoStream(25, 16, 16, 3), 0);
    int written = 0;
    while (output.WriteVideo(kFrame, 8, true) == 0) {
        ++written;
    }
    EXPECT_EQ(output.WriteVideo(kFrame, 8, true), -1);
    EXPECT_LT(output.roomLeft(), 8u + 8 + 16) << "a chunk header, its payload, its index entry";
    output.Release();
    EXPECT_LE(file->bytes.size(), 2000u);
    EXPECT_EQ(parseAvi(file->bytes).idx1.size(), static_cast<std::size_t>(written));
}

TEST_F(ChannelOutputTest, FailedWriteReportsErrnoAndCountsNothing) {
    auto file = std::make_shared<test::MemoryFile>();
    file->capacity = 1 << 20;
    ChannelOutput output([file](const char*, std::unique_ptr<FileSink>& sink) {
        sink = std::make_unique<test::MemorySink>(file);
        return 0;
    });
    ASSERT_TRUE(output.Create("memory.avi"));
    ASSERT_EQ(output.CreateVideoStream(25, 16, 16, 3), 0);
    ASSERT_EQ(output.WriteVideo(kFrame, 8, true), 0);
    std::vector<std::byte> tooBig(2 << 20);
    EXPECT_EQ(output.WriteVideo(tooBig.data(), static_cast<std::int32_t>(tooBig.size()), true),
              ENOSPC);
    ASSERT_EQ(output.WriteVideo(kFrame, 8, false), 0);
    output.Release();
    EXPECT_EQ(parseAvi(file->bytes).idx1.size(), 2u);
}

#ifndef _WIN32  // /dev/full is POSIX only
TEST_F(ChannelOutputTest, DeviceThatRefusesWritesGivesErrnoAndStaysInPlace) {
    if (::access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no writable /dev/full";
    }
    ChannelOutput output;
    ASSERT_TRUE(output.Create("/dev/full"));
    ASSERT_EQ(output.CreateVideoStream(25, 16, 16, 3), 0);
    std::vector<std::byte> frame(2 << 20);
    EXPECT_EQ(output.WriteVideo(frame.data(), static_cast<std::int32_t>(frame.size()), true),
              ENOSPC);
    output.Release();
    struct stat device;
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
}
#endif

}  // namespace
}  // namespace kinorex
