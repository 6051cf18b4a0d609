#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hi_voice.h"
#include "voice_test_support.h"

namespace kinorex::voice {
namespace {

using namespace testing;

// Values that no codec type will ever take, however many codecs join.
constexpr std::array kNeverCodecTypes = {0, 8, 33, 34, 64, 69, 97, -1, 0x7FFF};

bool sameBytes(const HiVoiceContext& a, const HiVoiceContext& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

HiVoiceContext filledContext() {
    HiVoiceContext context;
    std::memset(&context, 0xCD, sizeof context);
    return context;
}

TEST(VoiceVersion, WritesExactly42BytesEndingInZero) {
    std::array<char, 64> buffer;
    buffer.fill('#');
    ASSERT_EQ(HI_VOICE_GetVersion(buffer.data()), 0);
    EXPECT_EQ(std::string(buffer.data()), "HI_VOICE_VERSION=KNRX01_VOICELIB_V1.0.0.0");
    EXPECT_EQ(buffer[41], '\0');
    EXPECT_EQ(buffer[42], '#');
    EXPECT_EQ(HI_VOICE_GetVersion(nullptr), -1);
}

TEST(VoiceReset, NullContextIsRefused) {
    EXPECT_EQ(HI_VOICE_EncReset(nullptr, HI_VOICE_TYPE_ADPCM), HI_VOICE_ERR_NULL_CONTEXT);
    EXPECT_EQ(HI_VOICE_DecReset(nullptr, HI_VOICE_TYPE_ADPCM), HI_VOICE_ERR_NULL_CONTEXT);
}

TEST(VoiceReset, UnrecognisedTypeIsStoredAndNothingElseWritten) {
    for (const int type : kNeverCodecTypes) {
        auto encoder = filledContext();
        auto decoder = filledContext();
        EXPECT_EQ(HI_VOICE_EncReset(&encoder, type), HI_VOICE_ERR_ENC_TYPE) << type;
        EXPECT_EQ(HI_VOICE_DecReset(&decoder, type), HI_VOICE_ERR_DEC_TYPE) << type;
        auto expected = filledContext();
        expected.codecType = static_cast<std::int16_t>(type);
        EXPECT_TRUE(sameBytes(encoder, expected)) << type;
        EXPECT_TRUE(sameBytes(decoder, expected)) << type;
    }
}

TEST(VoiceReset, OnlyTheLow16BitsOfTheTypeCount) {
    HiVoiceContext context{};
    EXPECT_EQ(HI_VOICE_EncReset(&context, 0x10000 + HI_VOICE_TYPE_ADPCM), HI_VOICE_OK);
    EXPECT_EQ(context.codecType, HI_VOICE_TYPE_ADPCM);
    EXPECT_EQ(HI_VOICE_DecReset(&context, 0x7FFF0000 + HI_VOICE_TYPE_ADPCM_STATELESS), HI_VOICE_OK);
    EXPECT_EQ(context.codecType, HI_VOICE_TYPE_ADPCM_STATELESS);
}

TEST(VoiceReset, ResetToAnotherTypeStartsAFreshStream) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM);
    testing::encodeFrame(encoder, Samples(40, 9000));
    ASSERT_EQ(HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_ADPCM_STATELESS), HI_VOICE_OK);
    auto fresh = encoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    const Samples pcm = {100, -200, 300, -400};
    EXPECT_EQ(testing::encodeFrame(encoder, pcm), testing::encodeFrame(fresh, pcm));
}

TEST(VoiceEncode, ChecksArgumentsInOrder) {
    auto good = encoderFor(HI_VOICE_TYPE_ADPCM);
    HiVoiceContext unknown{};
    HI_VOICE_EncReset(&unknown, 33);
    const Samples pcm(482, 1);
    Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
    struct Case {
        HiVoiceContext* context;
        const std::int16_t* pcm;
        std::uint8_t* frame;
        std::int16_t count;
        std::int32_t status;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, 0, HI_VOICE_ERR_NULL_CONTEXT},
        {&unknown, nullptr, nullptr, 0, HI_VOICE_ERR_NULL_INPUT},
        {&unknown, pcm.data(), nullptr, 0, HI_VOICE_ERR_NULL_OUTPUT},
        {&unknown, pcm.data(), frame.data(), 0, HI_VOICE_ERR_ENC_COUNT},
        {&unknown, pcm.data(), frame.data(), 1, HI_VOICE_ERR_ENC_TYPE},
        {&good, pcm.data(), frame.data(), 0, HI_VOICE_ERR_ENC_COUNT},
        {&good, pcm.data(), frame.data(), -1, HI_VOICE_ERR_ENC_COUNT},
        {&good, pcm.data(), frame.data(), 482, HI_VOICE_ERR_ENC_COUNT},
        {&good, pcm.data(), frame.data(), INT16_MIN, HI_VOICE_ERR_ENC_COUNT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HI_VOICE_EncodeFrame(c.context, c.pcm, c.frame, c.count), c.status)
            << "count " << c.count;
    }
}

TEST(VoiceEncode, FailureWritesNeitherFrameNorState) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    testing::encodeFrame(encoder, {5000, 6000, 7000, 8000});
    const auto before = encoder;
    const Samples pcm(482, 1000);
    Bytes frame(600, 0xEE);
    EXPECT_EQ(HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), 482),
              HI_VOICE_ERR_ENC_COUNT);
    EXPECT_EQ(frame, Bytes(600, 0xEE));
    EXPECT_TRUE(sameBytes(encoder, before));
}

// Whatever codecs are registered, 1 and 481 samples encode, and nothing is written past the
// frame the length byte describes.
TEST(VoiceEncode, EveryRegisteredTypeTakesOneTo481SamplesWithinTheLongestFrame) {
    const Samples pcm(HI_VOICE_MAX_ENCODE_SAMPLES, 1234);
    int registered = 0;
    for (int type = -128; type < 256; ++type) {
        HiVoiceContext encoder{};
        if (HI_VOICE_EncReset(&encoder, type) != HI_VOICE_OK) {
            continue;
        }
        ++registered;
        for (const std::int16_t count : {1, 2, 5, 80, 481}) {
            Bytes frame(600, 0xEE);
            ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), count), HI_VOICE_OK)
                << "type " << type << " count " << count;
            const std::size_t size = 4 + 2 * std::size_t{frame[2]};
            EXPECT_LE(size, std::size_t{HI_VOICE_MAX_ENCODED_BYTES}) << type;
            EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{0x00, 0x01, frame[2], 0x00}));
            EXPECT_EQ(Bytes(frame.begin() + size, frame.end()), Bytes(600 - size, 0xEE))
                << "type " << type << " count " << count;
        }
    }
    EXPECT_GE(registered, 3);
}

// Voice frames come from other programs. For every type and every length byte, frames of
// random content, each exactly as long as its header declares, decode through one context
// without a fault and never report more samples than a caller's buffer is promised to need.
TEST(VoiceDecode, RandomFramesOfEveryLengthStayWithinTheBuffer) {
    std::mt19937 random(14);
    int decoded = 0;
    for (int type = -128; type < 256; ++type) {
        HiVoiceContext decoder{};
        if (HI_VOICE_DecReset(&decoder, type) != HI_VOICE_OK) {
            continue;
        }
        for (int length = 0; length <= 255; ++length) {
            for (int repeat = 0; repeat < 4; ++repeat) {
                Bytes frame(4 + 2 * static_cast<std::size_t>(length));
                for (auto& byte : frame) {
                    byte = static_cast<std::uint8_t>(random());
                }
                frame[1] = 0x01;
                frame[2] = static_cast<std::uint8_t>(length);
                Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
                std::int16_t count = -1;
                const auto status =
                    HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count);
                ASSERT_TRUE(count >= 0 && count <= HI_VOICE_MAX_DECODED_SAMPLES)
                    << "type " << type << " length " << length << ": " << count;
                ASSERT_TRUE(status == HI_VOICE_OK || count == 0) << type << " " << length;
                ++decoded;
            }
        }
    }
    EXPECT_EQ(decoded, 16 * 256 * 4);
}

TEST(VoiceEncode, AdpcmLengthBytesFollowTheCountRules) {
    const Samples pcm(HI_VOICE_MAX_ENCODE_SAMPLES, -700);
    for (int n = 1; n <= HI_VOICE_MAX_ENCODE_SAMPLES; ++n) {
        const auto count = static_cast<std::int16_t>(n);
        for (const auto& [type, length] :
             {std::pair{HI_VOICE_TYPE_ADPCM, n / 4 + 2},
              std::pair{HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE, (n - 1) / 4 + 2},
              std::pair{HI_VOICE_TYPE_ADPCM_STATELESS, n / 4}}) {
            auto encoder = encoderFor(type);
            Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
            ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), count), HI_VOICE_OK);
            ASSERT_EQ(frame[2], length) << "type " << type << " n " << n;
        }
    }
}

struct DecodeResult {
    std::int32_t status;
    std::int16_t count;
};

DecodeResult decodeRaw(HiVoiceContext& context, Bytes frame) {
    Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = 77;
    const auto status = HI_VOICE_DecodeFrame(&context, frame.data(), pcm.data(), &count);
    return {status, count};
}

TEST(VoiceDecode, PointerChecksComeFirstAndLeaveTheCountAlone) {
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    auto frame = makeFrame({0, 0, 0, 0, 0x77, 0x77});
    Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = 77;
    EXPECT_EQ(HI_VOICE_DecodeFrame(nullptr, nullptr, nullptr, nullptr), HI_VOICE_ERR_NULL_CONTEXT);
    EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, nullptr, nullptr, &count), HI_VOICE_ERR_NULL_INPUT);
    EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), nullptr, &count),
              HI_VOICE_ERR_NULL_OUTPUT);
    EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), nullptr),
              HI_VOICE_ERR_NULL_OUTPUT);
    EXPECT_EQ(count, 77);
}

TEST(VoiceDecode, FrameMarkNeedsBits8And9ToRead01) {
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    const Bytes payload = {0, 0, 0, 0, 0x77, 0x77};
    for (const std::uint16_t mark : {0x0000, 0x0200, 0x0300, 0xFE00, 0x00FF}) {
        const auto result = decodeRaw(decoder, makeFrame(payload, -1, mark));
        EXPECT_EQ(result.status, HI_VOICE_ERR_DEC_MARK) << mark;
        EXPECT_EQ(result.count, 0);
    }
    for (const std::uint16_t mark : {0x0100, 0x01FF, 0xFD01, 0x0501}) {
        EXPECT_EQ(decodeRaw(decoder, makeFrame(payload, -1, mark)).status, HI_VOICE_OK) << mark;
    }
}

TEST(VoiceDecode, HeaderChecksComeBeforeTheTypeAndTheLengthRuleAfterIt) {
    HiVoiceContext unknown{};
    HI_VOICE_DecReset(&unknown, 33);
    auto adpcm = decoderFor(HI_VOICE_TYPE_ADPCM);
    const Bytes payload(4, 0);
    EXPECT_EQ(decodeRaw(unknown, makeFrame(payload, 2, 0x0000)).status, HI_VOICE_ERR_DEC_MARK);
    EXPECT_EQ(decodeRaw(unknown, makeFrame(payload, 0)).status, HI_VOICE_ERR_DEC_LENGTH);
    EXPECT_EQ(decodeRaw(unknown, makeFrame(payload, 2)).status, HI_VOICE_ERR_DEC_TYPE);
    EXPECT_EQ(decodeRaw(unknown, makeFrame(payload, 2)).count, 0);
    EXPECT_EQ(decodeRaw(adpcm, makeFrame(Bytes(246, 0), 123)).status, HI_VOICE_ERR_DEC_LENGTH);
}

TEST(VoiceDecode, AdpcmLengthRulesAndSampleCounts) {
    struct Rule {
        int type;
        int minimum;
        int samplesPerWord;
        int offset;
    };
    // Types 3 and 35 refuse a length byte of 1: it cannot hold their two state words.
    for (const auto& rule :
         {Rule{HI_VOICE_TYPE_ADPCM, 2, 4, -8}, Rule{HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE, 2, 4, -7},
          Rule{HI_VOICE_TYPE_ADPCM_STATELESS, 1, 4, 0}}) {
        for (int length = 0; length <= 255; ++length) {
            auto decoder = decoderFor(rule.type);
            const auto result = decodeRaw(decoder, makeFrame(Bytes(2 * length, 0x5A), length));
            if (length >= rule.minimum && length <= 122) {
                EXPECT_EQ(result.status, HI_VOICE_OK) << rule.type << " L " << length;
                EXPECT_EQ(result.count, rule.samplesPerWord * length + rule.offset);
            } else {
                EXPECT_EQ(result.status, HI_VOICE_ERR_DEC_LENGTH) << rule.type << " L " << length;
                EXPECT_EQ(result.count, 0);
            }
        }
    }
}

TEST(VoiceDecode, RefusedFrameLeavesStateAndSamplesUntouched) {
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    testing::decodeFrame(decoder, makeFrame({0x77, 0x77}));
    const auto before = decoder;
    for (const auto& frame :
         {makeFrame({0x77, 0x77}, 1, 0x0200), makeFrame({}, 0), makeFrame(Bytes(246, 0x77), 123)}) {
        Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES, 4321);
        std::int16_t count = 77;
        auto copy = frame;
        EXPECT_NE(HI_VOICE_DecodeFrame(&decoder, copy.data(), pcm.data(), &count), HI_VOICE_OK);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(pcm, Samples(HI_VOICE_MAX_DECODED_SAMPLES, 4321));
        EXPECT_TRUE(sameBytes(decoder, before));
    }
}

}  // namespace
}  // namespace kinorex::voice
