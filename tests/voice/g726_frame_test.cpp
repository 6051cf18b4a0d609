// G.726 through the HI_VOICE_ interface: the length rules of types 4..7 and
// 36..39, and the MSB-first types against their LSB-first base types.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "g726.h"
#include "g726_test_support.h"
#include "hi_voice.h"
#include "media_files.h"

namespace kinorex::voice {
namespace {

constexpr std::uint8_t kUntouched = 0xEE;

struct Rate {
    std::int16_t lsbType;
    std::int16_t msbType;
    int bits;
};

constexpr std::array<Rate, 4> kRates = {{
    {HI_VOICE_TYPE_G726_16K, HI_VOICE_TYPE_G726_16K_MSB, 2},
    {HI_VOICE_TYPE_G726_24K, HI_VOICE_TYPE_G726_24K_MSB, 3},
    {HI_VOICE_TYPE_G726_32K, HI_VOICE_TYPE_G726_32K_MSB, 4},
    {HI_VOICE_TYPE_G726_40K, HI_VOICE_TYPE_G726_40K_MSB, 5},
}};

const std::vector<std::int16_t>& speech() {
    static const std::vector<std::int16_t> samples =
        test::loadS16(test::fixturePath("speech_1.s16"));
    return samples;
}

HiVoiceContext encoderFor(std::int16_t type) {
    HiVoiceContext context{};
    EXPECT_EQ(HI_VOICE_EncReset(&context, type), HI_VOICE_OK);
    return context;
}

HiVoiceContext decoderFor(std::int16_t type) {
    HiVoiceContext context{};
    EXPECT_EQ(HI_VOICE_DecReset(&context, type), HI_VOICE_OK);
    return context;
}

std::vector<std::uint8_t> encodeFrame(HiVoiceContext& encoder, const std::int16_t* pcm, int count) {
    std::vector<std::uint8_t> frame(HI_VOICE_MAX_ENCODED_BYTES, kUntouched);
    EXPECT_EQ(HI_VOICE_EncodeFrame(&encoder, pcm, frame.data(), static_cast<std::int16_t>(count)),
              HI_VOICE_OK);
    return frame;
}

TEST(G726Frame, EncoderCarriesTheWholeCodeWordsOfEverySamplePairAndWritesNoMore) {
    for (const Rate& rate : kRates) {
        for (std::int16_t type : {rate.lsbType, rate.msbType}) {
            for (int count : {1, 2, 3, 10, 80, 81, 160, 481}) {
                HiVoiceContext encoder = encoderFor(type);
                const std::vector<std::uint8_t> frame =
                    encodeFrame(encoder, speech().data(), count);
                const int length = count * rate.bits / 16;
                EXPECT_EQ(frame[0], 0x00);
                EXPECT_EQ(frame[1], 0x01);
                EXPECT_EQ(frame[2], length) << type << ", " << count << " samples";
                EXPECT_EQ(frame[3], 0x00);
                EXPECT_EQ(frame[4 + 2 * length], kUntouched) << type << ", " << count;
            }
        }
    }
}

TEST(G726Frame, DecoderTakesFramesOfWholeEightySampleBlocksOnly) {
    for (const Rate& rate : kRates) {
        for (std::int16_t type : {rate.lsbType, rate.msbType}) {
            for (int length = 1; length <= 255; ++length) {
                std::array<std::uint8_t, 4 + 2 * 255> frame{0x00, 0x01,
                                                            static_cast<std::uint8_t>(length)};
                std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
                std::int16_t count = -1;
                HiVoiceContext decoder = decoderFor(type);
                const std::int32_t status =
                    HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count);
                const int samples = length * 16 / rate.bits;
                if (samples % 80 == 0 && samples <= 480) {
                    EXPECT_EQ(status, HI_VOICE_OK) << type << ", L = " << length;
                    EXPECT_EQ(count, samples) << type << ", L = " << length;
                } else {
                    EXPECT_EQ(status, HI_VOICE_ERR_DEC_LENGTH) << type << ", L = " << length;
                    EXPECT_EQ(count, 0);
                }
            }
        }
    }
}

// Frame by frame, an MSB-first type carries its base type's code words in the
// other order, decodes to the same samples, and leaves the caller's frame in
// the base type's order.
TEST(G726Frame, MsbFirstTypesRoundTripThroughTheirBaseTypes) {
    constexpr int kSamples = 160;
    for (const Rate& rate : kRates) {
        HiVoiceContext lsbEncoder = encoderFor(rate.lsbType);
        HiVoiceContext msbEncoder = encoderFor(rate.msbType);
        HiVoiceContext lsbDecoder = decoderFor(rate.lsbType);
        HiVoiceContext msbDecoder = decoderFor(rate.msbType);
        const std::size_t frameBytes = 4 + kSamples * static_cast<std::size_t>(rate.bits) / 8;
        for (int start = 0; start + kSamples <= 4 * kSamples; start += kSamples) {
            std::vector<std::uint8_t> lsbFrame =
                encodeFrame(lsbEncoder, speech().data() + start, kSamples);
            std::vector<std::uint8_t> msbFrame =
                encodeFrame(msbEncoder, speech().data() + start, kSamples);
            lsbFrame.resize(frameBytes);
            msbFrame.resize(frameBytes);

            std::vector<std::uint8_t> expected = lsbFrame;
            const auto lsbPayload = std::span(lsbFrame).subspan(4);
            for (std::size_t k = 0; k < kSamples; ++k) {
                setCodeAt(std::span(expected).subspan(4), k, rate.bits, PackOrder::kMsbFirst,
                          codeAt(lsbPayload, k, rate.bits, PackOrder::kLsbFirst));
            }
            ASSERT_EQ(msbFrame, expected) << rate.msbType << " at sample " << start;

            std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> lsbPcm{};
            std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> msbPcm{};
            std::int16_t lsbCount = 0;
            std::int16_t msbCount = 0;
            ASSERT_EQ(HI_VOICE_DecodeFrame(&lsbDecoder, lsbFrame.data(), lsbPcm.data(), &lsbCount),
                      HI_VOICE_OK);
            ASSERT_EQ(HI_VOICE_DecodeFrame(&msbDecoder, msbFrame.data(), msbPcm.data(), &msbCount),
                      HI_VOICE_OK);
            EXPECT_EQ(msbCount, kSamples);
            EXPECT_EQ(msbPcm, lsbPcm) << rate.msbType << " at sample " << start;
            EXPECT_EQ(msbFrame, lsbFrame) << "repacked in place, " << rate.msbType;
        }
    }
}

// 10 samples at 3 bits fill 30 bits, of which the one-word frame carries 16:
// still MSB-first, cut after the first bits of the sixth code word.
TEST(G726Frame, MsbFirstFrameThatCutsACodeWordIsStillMsbFirst) {
    G726State state;
    g726Reset(state, 3);
    std::vector<std::uint8_t> expected(4);
    for (std::size_t k = 0; k < 10; ++k) {
        const std::int32_t code = g726CodeSample(state, G726Direction::kEncode, speech()[k]).code;
        setCodeAt(expected, k, 3, PackOrder::kMsbFirst, code);
    }
    HiVoiceContext encoder = encoderFor(HI_VOICE_TYPE_G726_24K_MSB);
    const std::vector<std::uint8_t> frame = encodeFrame(encoder, speech().data(), 10);
    ASSERT_EQ(frame[2], 1);
    EXPECT_EQ(frame[4], expected[0]);
    EXPECT_EQ(frame[5], expected[1]);
}

}  // namespace
}  // namespace kinorex::voice
