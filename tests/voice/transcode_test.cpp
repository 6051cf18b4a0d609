#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "hi_voice.h"
#include "speech_signal.h"
#include "voice_test_support.h"

namespace kinorex::voice {
namespace {

using namespace testing;

HiVoiceTranscoder transcoderFor(int transcodeType) {
    HiVoiceTranscoder transcoder{};
    EXPECT_EQ(HI_VOICE_TransCodeReset(&transcoder, transcodeType), HI_VOICE_OK);
    return transcoder;
}

std::int16_t typeAtByte(const HiVoiceTranscoder& transcoder, std::size_t offset) {
    std::int16_t type;
    std::memcpy(&type, reinterpret_cast<const std::uint8_t*>(&transcoder) + offset, sizeof type);
    return type;
}

TEST(VoiceTranscode, ResetChecksAndWritesNothingOnFailure) {
    EXPECT_EQ(HI_VOICE_TransCodeReset(nullptr, HI_VOICE_TRANSCODE_ADPCM),
              HI_VOICE_ERR_NULL_TRANSCODER);
    for (const int type : {0, 96, 101, 3, 67, -99, 0x10000 + 101}) {
        HiVoiceTranscoder transcoder;
        std::memset(&transcoder, 0xCD, sizeof transcoder);
        EXPECT_EQ(HI_VOICE_TransCodeReset(&transcoder, type), HI_VOICE_ERR_TRANSCODE_TYPE) << type;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&transcoder);
        EXPECT_EQ(Bytes(bytes, bytes + sizeof transcoder), Bytes(sizeof transcoder, 0xCD));
    }
}

TEST(VoiceTranscode, ResetPlacesVariantDecoderAt2048AndBaseEncoderAtTheStart) {
    for (const int base : {1, 2, 3, 4}) {
        const auto transcoder = transcoderFor(96 + base + 0x10000);  // low 16 bits count
        EXPECT_EQ(typeAtByte(transcoder, 0), base);
        EXPECT_EQ(typeAtByte(transcoder, HI_VOICE_TRANSCODER_DECODER_OFFSET), base + 0x40);
    }
}

TEST(VoiceTranscode, FrameChecksTranscoderThenFrameThenEncoderType) {
    auto frame = makeFrame({1, 2});
    HiVoiceTranscoder unreset{};
    EXPECT_EQ(HI_VOICE_TransCodeFrame(nullptr, nullptr), HI_VOICE_ERR_NULL_TRANSCODER);
    EXPECT_EQ(HI_VOICE_TransCodeFrame(&unreset, nullptr), HI_VOICE_ERR_NULL_INPUT);
    EXPECT_EQ(HI_VOICE_TransCodeFrame(&unreset, frame.data()), HI_VOICE_ERR_TRANSCODE_TYPE);
    EXPECT_EQ(frame, makeFrame({1, 2}));
}

// The header is neither checked nor changed: a bad mark is exchanged all the same.
TEST(VoiceTranscode, G711VariantsExchangeTheBytesOfEveryPayloadWord) {
    for (const int type : {HI_VOICE_TRANSCODE_G711_ALAW, HI_VOICE_TRANSCODE_G711_ULAW}) {
        for (const std::uint16_t mark : {0x0100, 0x0000}) {
            auto transcoder = transcoderFor(type);
            auto frame = makeFrame({0x01, 0x02, 0x03, 0x04, 0xAA}, -1, mark);
            frame[3] = 0x55;
            ASSERT_EQ(HI_VOICE_TransCodeFrame(&transcoder, frame.data()), HI_VOICE_OK);
            auto expected = makeFrame({0x02, 0x01, 0x04, 0x03, 0xAA}, -1, mark);
            expected[3] = 0x55;
            EXPECT_EQ(frame, expected);
        }
    }
}

// Re-encoding what an ADPCM decoder produced, from the same state, reproduces the same
// reconstruction; so a transcoded stream decodes exactly as the original one.
TEST(VoiceTranscode, Type67StreamBecomesType3FramesThatDecodeAlike) {
    const auto speech = testing::speechLikeSignal(160 * 60, 7);
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    auto variantDecoder = decoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    auto baseDecoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    auto transcoder = transcoderFor(HI_VOICE_TRANSCODE_ADPCM);
    for (std::size_t start = 0; start < speech.size(); start += 160) {
        const Samples pcm(speech.begin() + start, speech.begin() + start + 160);
        auto frame = encodeFrame(encoder, pcm);
        ASSERT_EQ(frame[2], 40);
        const auto expected = decodeFrame(variantDecoder, frame);
        frame.resize(frame.size() + 4);  // the state words make the frame 4 bytes longer
        ASSERT_EQ(HI_VOICE_TransCodeFrame(&transcoder, frame.data()), HI_VOICE_OK);
        ASSERT_EQ(frame[2], 42);
        EXPECT_EQ(decodeFrame(baseDecoder, frame), expected) << "frame at " << start;
    }
}

TEST(VoiceTranscode, RefusedOrOversizedFramesAreLeftAsTheyWere) {
    auto transcoder = transcoderFor(HI_VOICE_TRANSCODE_ADPCM);
    const auto badMark = makeFrame(Bytes(80, 0x37), -1, 0x0300);
    const auto empty = makeFrame({}, 0);
    const auto tooLong = makeFrame(Bytes(244, 0x37));  // 488 samples: more than one encode
    for (const auto& original : {badMark, empty, tooLong}) {
        auto frame = original;
        frame.resize(frame.size() + 4, 0xEE);
        EXPECT_EQ(HI_VOICE_TransCodeFrame(&transcoder, frame.data()), HI_VOICE_OK);
        auto expected = original;
        expected.resize(expected.size() + 4, 0xEE);
        EXPECT_EQ(frame, expected);
    }
}

}  // namespace
}  // namespace kinorex::voice
