// G.711 through the exported functions: frame layouts and the length rules of types 1, 2, 65, 66.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "hi_voice.h"

namespace {

std::vector<std::int16_t> ramp(std::size_t n) {
    std::vector<std::int16_t> pcm(n);
    for (std::size_t i = 0; i < n; ++i) {
        pcm[i] = static_cast<std::int16_t>(static_cast<int>(i) * 797 - 30000);
    }
    return pcm;
}

// Encodes pcm with a fresh context of type; the frame buffer starts filled with 0xEE.
std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES + 4> encodeFresh(
    std::int16_t type, const std::vector<std::int16_t>& pcm) {
    HiVoiceContext encoder{};
    EXPECT_EQ(HI_VOICE_EncReset(&encoder, type), HI_VOICE_OK);
    std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES + 4> frame;
    frame.fill(0xEE);
    EXPECT_EQ(HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(),
                                   static_cast<std::int16_t>(pcm.size())),
              HI_VOICE_OK);
    return frame;
}

struct Decoded {
    std::int32_t status;
    std::vector<std::int16_t> pcm;
};

Decoded decodeFresh(std::int16_t type, std::uint8_t* frame) {
    HiVoiceContext decoder{};
    EXPECT_EQ(HI_VOICE_DecReset(&decoder, type), HI_VOICE_OK);
    std::vector<std::int16_t> pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = -1;
    const std::int32_t status = HI_VOICE_DecodeFrame(&decoder, frame, pcm.data(), &count);
    pcm.resize(static_cast<std::size_t>(count));
    return {status, pcm};
}

TEST(G711Interface, EightySamplesFillFortyWordsInEitherByteOrder) {
    const auto pcm = ramp(80);
    for (const auto [base, variant] :
         {std::array<std::int16_t, 2>{HI_VOICE_TYPE_G711_ALAW, HI_VOICE_TYPE_G711_ALAW_SWAPPED},
          {HI_VOICE_TYPE_G711_ULAW, HI_VOICE_TYPE_G711_ULAW_SWAPPED}}) {
        auto plain = encodeFresh(base, pcm);
        auto exchanged = encodeFresh(variant, pcm);
        EXPECT_EQ((std::array{plain[0], plain[1], plain[2], plain[3]}),
                  (std::array<std::uint8_t, 4>{0x00, 0x01, 40, 0x00}));
        EXPECT_EQ(plain[84], 0xEE) << "wrote past the 84-byte frame";
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(exchanged[i], plain[i]);
        }
        for (std::size_t i = 4; i < 84; ++i) {
            EXPECT_EQ(exchanged[i], plain[i ^ 1]) << i;
        }

        const Decoded fromPlain = decodeFresh(base, plain.data());
        const Decoded fromExchanged = decodeFresh(variant, exchanged.data());
        EXPECT_EQ(fromPlain.status, HI_VOICE_OK);
        EXPECT_EQ(fromPlain.pcm.size(), 80u);
        EXPECT_EQ(fromPlain.pcm, fromExchanged.pcm);
        // Companding keeps the top bits: every sample comes back within its quantizer step.
        for (std::size_t i = 0; i < 80; ++i) {
            EXPECT_NEAR(fromPlain.pcm[i], pcm[i], 1024) << i;
        }
    }
}

TEST(G711Interface, VariantFrameReadWithBaseContextSwapsEachPair) {
    auto frame = encodeFresh(HI_VOICE_TYPE_G711_ALAW_SWAPPED, ramp(160));
    const Decoded right = decodeFresh(HI_VOICE_TYPE_G711_ALAW_SWAPPED, frame.data());
    const Decoded wrong = decodeFresh(HI_VOICE_TYPE_G711_ALAW, frame.data());
    EXPECT_EQ(wrong.status, HI_VOICE_OK);
    ASSERT_EQ(wrong.pcm.size(), 160u);
    for (std::size_t i = 0; i < 160; ++i) {
        EXPECT_EQ(wrong.pcm[i], right.pcm[i ^ 1]);
    }
}

TEST(G711Interface, LengthFollowsWholePairsButDecodingNeedsWholeBlocksOf80) {
    // 81 samples: the odd last one is not carried.
    auto odd = encodeFresh(HI_VOICE_TYPE_G711_ULAW, ramp(81));
    EXPECT_EQ(odd[2], 40);
    EXPECT_EQ(odd[84], 0xEE);
    EXPECT_EQ(decodeFresh(HI_VOICE_TYPE_G711_ULAW, odd.data()).pcm.size(), 80u);

    // 100 samples make L = 50, a frame no G.711 decoder accepts.
    auto fifty = encodeFresh(HI_VOICE_TYPE_G711_ULAW, ramp(100));
    EXPECT_EQ(fifty[2], 50);
    EXPECT_EQ(decodeFresh(HI_VOICE_TYPE_G711_ULAW, fifty.data()).status, HI_VOICE_ERR_DEC_LENGTH);

    auto frame = encodeFresh(HI_VOICE_TYPE_G711_ALAW_SWAPPED, ramp(481));
    EXPECT_EQ(frame[2], 240);
    EXPECT_EQ(decodeFresh(HI_VOICE_TYPE_G711_ALAW_SWAPPED, frame.data()).pcm.size(), 480u);
    for (const int length : {41, 250, 255}) {
        frame[2] = static_cast<std::uint8_t>(length);
        const Decoded refused = decodeFresh(HI_VOICE_TYPE_G711_ALAW_SWAPPED, frame.data());
        EXPECT_EQ(refused.status, HI_VOICE_ERR_DEC_LENGTH) << length;
        EXPECT_TRUE(refused.pcm.empty()) << length;
    }
}

}  // namespace
