#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "adpcm.h"
#include "codec_entry.h"
#include "voice_test_support.h"

namespace kinorex::voice {
namespace {

using namespace testing;

AdpcmState stateOf(const HiVoiceContext& context) {
    return loadState<AdpcmState>(context);
}

// One sample through the block coder: a pair stores its earlier code, a lone sample only
// advances the state.
std::uint8_t encodeAdpcmSample(AdpcmState& state, std::int16_t sample) {
    AdpcmState pairState = state;
    std::uint8_t codes = 0;
    encodeAdpcm(pairState, std::array{sample, sample}, std::span(&codes, 1),
                NibbleOrder::kHighFirst);
    encodeAdpcm(state, std::span(&sample, 1), {}, NibbleOrder::kHighFirst);
    return static_cast<std::uint8_t>(codes >> 4);
}

std::int16_t decodeAdpcmSample(AdpcmState& state, std::uint8_t code) {
    std::int16_t sample = 0;
    decodeAdpcm(state, std::array{static_cast<std::uint8_t>(code << 4)}, std::span(&sample, 1),
                NibbleOrder::kHighFirst);
    return sample;
}

TEST(Adpcm, FourSamplesOf1000GiveTheReferenceFrameAndState) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM);
    EXPECT_EQ(encodeFrame(encoder, {1000, 1000, 1000, 1000}),
              (Bytes{0x00, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x77, 0x77}));
    EXPECT_EQ(stateOf(encoder).predicted, 240);
    EXPECT_EQ(stateOf(encoder).stepIndex, 32);
}

TEST(Adpcm, Type3FrameDecodesFromItsOwnStateWhateverTheContextHeld) {
    const Bytes frame = {0x00, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x77, 0x77};
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    decodeFrame(decoder, makeFrame({0x10, 0x27, 50, 0, 0x9C, 0x3F}));  // leaves another state
    EXPECT_EQ(decodeFrame(decoder, frame), (Samples{11, 41, 104, 240}));
    EXPECT_EQ(stateOf(decoder).predicted, 240);
    EXPECT_EQ(stateOf(decoder).stepIndex, 32);
}

TEST(Adpcm, NegativeCodesMirrorPositiveOnes) {
    AdpcmState state;
    Samples decoded;
    for (int i = 0; i < 4; ++i) {
        decoded.push_back(decodeAdpcmSample(state, 15));
    }
    EXPECT_EQ(decoded, (Samples{-11, -41, -104, -240}));
}

TEST(Adpcm, Type35CarriesTheFirstSampleAndExchangesNibbles) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE);
    const auto frame = encodeFrame(encoder, {1000, 1100, 1100, 900, 900});
    EXPECT_EQ(frame, (Bytes{0x00, 0x01, 0x03, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x77, 0xCF}));
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE);
    EXPECT_EQ(decodeFrame(decoder, frame), (Samples{1000, 1011, 1041, 978, 896}));
}

TEST(Adpcm, SilenceKeepsTheResetState) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM);
    const auto frame = encodeFrame(encoder, Samples(320, 0));
    ASSERT_EQ(frame.size(), 4u + 4u + 160u);
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.end()), Bytes(164, 0));
    EXPECT_EQ(stateOf(encoder).predicted, 0);
    EXPECT_EQ(stateOf(encoder).stepIndex, 0);
}

TEST(Adpcm, FullScaleInputSaturatesThePredictionAndTheStep) {
    AdpcmState state;
    for (int i = 1; i <= 10; ++i) {
        ASSERT_EQ(encodeAdpcmSample(state, 32767), 7) << "sample " << i;
        EXPECT_EQ(state.stepIndex, 8 * i);
    }
    EXPECT_EQ(state.predicted, 25039);
    EXPECT_EQ(encodeAdpcmSample(state, 32767), 2);  // 34594 before the clamp
    EXPECT_EQ(state.predicted, 32767);
    EXPECT_EQ(state.stepIndex, 79);
    for (int index = 78; index >= 70; --index) {
        EXPECT_EQ(encodeAdpcmSample(state, 32767), 0);
        EXPECT_EQ(state.stepIndex, index);
    }
    EXPECT_EQ(state.predicted, 32767);
}

TEST(Adpcm, LargestStepsSaturateInBothDirectionsWithoutLeavingTheTable) {
    AdpcmState state{0, kAdpcmMaxStepIndex};
    EXPECT_EQ(decodeAdpcmSample(state, 7), 32767);
    EXPECT_EQ(state.stepIndex, kAdpcmMaxStepIndex);
    EXPECT_EQ(decodeAdpcmSample(state, 15), 32767 - 61436);
    EXPECT_EQ(decodeAdpcmSample(state, 15), -32768);
    EXPECT_EQ(state.stepIndex, kAdpcmMaxStepIndex);
}

// The quantizer as IMA ADPCM states it: the step, then its half, then its quarter, each
// subtracted when the difference reaches it.
std::uint8_t halvingCode(std::int32_t difference, std::int32_t step) {
    std::uint8_t code = difference < 0 ? 8 : 0;
    std::int32_t rest = difference < 0 ? -difference : difference;
    for (std::int32_t bit = 4, part = step; bit > 0; bit >>= 1, part >>= 1) {
        if (rest >= part) {
            code |= static_cast<std::uint8_t>(bit);
            rest -= part;
        }
    }
    return code;
}

// The encoder decides every code at once; at and beside each decision level of every step
// size, in both directions, it must pick what the halvings pick. The levels are read off the
// decoder: code k adds an eighth of the step plus level k to the prediction (taken at -32768,
// where no sum reaches the clamp).
TEST(Adpcm, EncoderPicksTheHalvingQuantizersCodeAtEveryDecisionLevel) {
    for (std::int8_t index = 0; index <= kAdpcmMaxStepIndex; ++index) {
        const auto reconstruct = [index](std::uint8_t code) {
            AdpcmState state{-32768, index};
            return std::int32_t{decodeAdpcmSample(state, code)};
        };
        const std::int32_t step = reconstruct(4) - reconstruct(0);
        for (std::uint8_t code = 1; code <= 7; ++code) {
            const std::int32_t level = reconstruct(code) - reconstruct(0);
            for (std::int32_t difference : {level - 1, level, level + 1}) {
                for (std::int32_t sign : {1, -1}) {
                    // From the far end of the range, every difference reaches its sample.
                    AdpcmState state{static_cast<std::int16_t>(sign > 0 ? -32768 : 32767), index};
                    const auto sample =
                        static_cast<std::int16_t>(state.predicted + sign * difference);
                    EXPECT_EQ(encodeAdpcmSample(state, sample),
                              halvingCode(sign * difference, step))
                        << "step index " << int(index) << ", difference " << sign * difference;
                }
            }
        }
    }
}

TEST(Adpcm, EightySampleType3FrameIs48Bytes) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM);
    const auto frame = encodeFrame(encoder, Samples(80, 500));
    ASSERT_EQ(frame.size(), 48u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{0x00, 0x01, 0x16, 0x00}));
}

TEST(Adpcm, LengthTwoFrameSetsTheStateAndGivesNoSamples) {
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    EXPECT_TRUE(decodeFrame(decoder, makeFrame({0xD2, 0x04, 40, 0})).empty());
    EXPECT_EQ(stateOf(decoder).predicted, 1234);
    EXPECT_EQ(stateOf(decoder).stepIndex, 40);
}

TEST(Adpcm, StepIndexWordAbove88IsClampedTo88) {
    const Bytes codes = {0x71, 0xF3, 0x2A, 0x9E};
    for (const int type : {HI_VOICE_TYPE_ADPCM, HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE}) {
        auto reference = decoderFor(type);
        Bytes payload = {0x00, 0x10, 88, 0};
        payload.insert(payload.end(), codes.begin(), codes.end());
        const auto expected = decodeFrame(reference, makeFrame(payload));
        for (const std::uint8_t index : {89, 0x80, 0xFF}) {
            auto decoder = decoderFor(type);
            payload[2] = index;
            EXPECT_EQ(decodeFrame(decoder, makeFrame(payload)), expected) << "index " << +index;
            EXPECT_EQ(stateOf(decoder).stepIndex, stateOf(reference).stepIndex);
        }
    }
}

TEST(Adpcm, Type67CarriesTheStateFromFrameToFrame) {
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    const auto frame = makeFrame({0x77, 0x77});
    EXPECT_EQ(decodeFrame(decoder, frame), (Samples{11, 41, 104, 240}));
    EXPECT_EQ(decodeFrame(decoder, frame), (Samples{533, 1164, 2521, 5431}));
}

TEST(Adpcm, Type67BelowFourSamplesGivesAnEmptyFrameTheDecoderRefuses) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    auto frame = encodeFrame(encoder, {100, 200, 300});
    EXPECT_EQ(frame, (Bytes{0x00, 0x01, 0x00, 0x00}));
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM_STATELESS);
    Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = -1;
    EXPECT_EQ(HI_VOICE_DecodeFrame(&decoder, frame.data(), pcm.data(), &count),
              HI_VOICE_ERR_DEC_LENGTH);
    EXPECT_EQ(count, 0);
}

TEST(Adpcm, HeaderByte3AndMarkLowBitsDoNotChangeDecoding) {
    auto reference = decoderFor(HI_VOICE_TYPE_ADPCM);
    const Bytes payload = {0x00, 0x00, 0x00, 0x00, 0x77, 0x77};
    const auto expected = decodeFrame(reference, makeFrame(payload));
    for (const std::uint16_t mark : {0x01FF, 0xFD01}) {
        auto frame = makeFrame(payload, -1, mark);
        frame[3] = 0x55;
        auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
        EXPECT_EQ(decodeFrame(decoder, frame), expected) << "mark " << mark;
    }
}

}  // namespace
}  // namespace kinorex::voice
