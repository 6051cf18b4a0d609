// Type 68 through the exported functions: frame lengths and a stream carried frame by frame.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "g726_variant.h"
#include "hi_voice.h"
#include "speech_signals.h"

namespace kinorex::voice {
namespace {

constexpr std::int16_t kType = HI_VOICE_TYPE_G726_16K_VARIANT;

using Frame = std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES>;

TEST(G726VariantInterface, FrameCarriesWholeGroupsOfEight) {
    const auto speech = allSpeech();
    HiVoiceContext encoder{};
    ASSERT_EQ(HI_VOICE_EncReset(&encoder, kType), HI_VOICE_OK);
    Frame frame;
    frame.fill(0xEE);
    ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, speech.data(), frame.data(), 161), HI_VOICE_OK);
    EXPECT_EQ((std::array{frame[0], frame[1], frame[2], frame[3]}),
              (std::array<std::uint8_t, 4>{0x00, 0x01, 20, 0x00}));
    EXPECT_EQ(frame[44], 0xEE) << "wrote past the 44-byte frame";

    // Fewer than eight samples make an empty frame, which no decoder accepts.
    ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, speech.data(), frame.data(), 7), HI_VOICE_OK);
    EXPECT_EQ(frame[2], 0);
    HiVoiceContext decoder{};
    ASSERT_EQ(HI_VOICE_DecReset(&decoder, kType), HI_VOICE_OK);
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
    std::int16_t count = -1;
    EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count),
              HI_VOICE_ERR_DEC_LENGTH);
    EXPECT_EQ(count, 0);
}

TEST(G726VariantInterface, DecodesBlocksOf80SamplesOnly) {
    Frame frame{0x00, 0x01};
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
    HiVoiceContext decoder{};
    ASSERT_EQ(HI_VOICE_DecReset(&decoder, kType), HI_VOICE_OK);
    for (int length = 1; length <= 255; ++length) {
        frame[2] = static_cast<std::uint8_t>(length);
        std::int16_t count = -1;
        const std::int32_t status =
            HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count);
        if (length % 10 == 0 && length <= 60) {
            EXPECT_EQ(status, HI_VOICE_OK) << length;
            EXPECT_EQ(count, 8 * length);
        } else {
            EXPECT_EQ(status, HI_VOICE_ERR_DEC_LENGTH) << length;
            EXPECT_EQ(count, 0);
        }
    }
}

TEST(G726VariantInterface, ContextsCarryTheStreamFromFrameToFrame) {
    const auto speech = allSpeech();
    HiVoiceContext encoder{};
    HiVoiceContext decoder{};
    ASSERT_EQ(HI_VOICE_EncReset(&encoder, kType), HI_VOICE_OK);
    ASSERT_EQ(HI_VOICE_DecReset(&decoder, kType), HI_VOICE_OK);
    G726VariantState referenceEncoder;
    G726VariantState referenceDecoder;
    Frame frame{};
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
    int mismatches = 0;
    for (std::size_t start = 0; start + 480 <= speech.size(); start += 480) {
        ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, &speech[start], frame.data(), 480), HI_VOICE_OK);
        std::int16_t count = 0;
        ASSERT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count), HI_VOICE_OK);
        ASSERT_EQ(count, 480);
        for (std::size_t i = 0; i < 480; ++i) {
            const int code = encodeG726VariantSample(referenceEncoder, speech[start + i]);
            mismatches += pcm[i] != decodeG726VariantSample(referenceDecoder, code);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace kinorex::voice
