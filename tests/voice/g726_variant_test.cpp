#include "g726_variant.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "speech_signals.h"

namespace kinorex::voice {
namespace {

int encodeFromReset(std::int16_t sample) {
    G726VariantState state;
    return encodeG726VariantSample(state, sample);
}

TEST(G726Variant, FirstSampleAfterResetSeesNoPrediction) {
    // With a prediction of 0 the difference is the sample itself; at the initial scale factor the
    // decision level falls between magnitudes 8 and 9, and 0 codes as +small.
    EXPECT_EQ(encodeFromReset(0), 0);
    EXPECT_EQ(encodeFromReset(8), 0);
    EXPECT_EQ(encodeFromReset(9), 1);
    EXPECT_EQ(encodeFromReset(-8), 3);
    EXPECT_EQ(encodeFromReset(-9), 2);
    EXPECT_EQ(encodeFromReset(32767), 1);
    // Magnitude 32768 does not fit the log's 15 bits; it is coded as large.
    EXPECT_EQ(encodeFromReset(-32768), 2);

    // The decoder's first output is the reconstructed difference alone, whatever the initial
    // histories hold.
    const std::array<std::int16_t, 4> expected{3, 15, -15, -3};
    for (int code = 0; code < 4; ++code) {
        G726VariantState state;
        EXPECT_EQ(decodeG726VariantSample(state, code), expected[static_cast<std::size_t>(code)]);
    }
}

TEST(G726Variant, OutputSaturatesButHistoryKeepsTheUnlimitedHalf) {
    G726VariantState state;
    bool saturatedAboveLimit = false;
    for (int i = 0; i < 60 && !saturatedAboveLimit; ++i) {
        const std::int16_t out = decodeG726VariantSample(state, 1);
        saturatedAboveLimit = out == 32767 && state.sr1 > 16383;
    }
    EXPECT_TRUE(saturatedAboveLimit);

    state = {};
    bool negativeSaturation = false;
    for (int i = 0; i < 60 && !negativeSaturation; ++i) {
        negativeSaturation = decodeG726VariantSample(state, 2) == -32768 && state.sr1 < -16384;
    }
    EXPECT_TRUE(negativeSaturation);
}

TEST(G726Variant, ToneFlagMakesTheNextSampleATransition) {
    G726VariantState state;
    const auto speech = allSpeech();
    for (const std::int16_t s : std::span(speech).first(4000)) {
        encodeG726VariantSample(state, s);
    }
    ASSERT_NE(state.a1, 0);
    state.td = 1;
    encodeG726VariantSample(state, 1000);
    EXPECT_EQ(state.a1, 0);
    EXPECT_EQ(state.a2, 0);
    for (const std::int16_t b : state.b) {
        EXPECT_EQ(b, 0);
    }
    EXPECT_EQ(state.td, 0);
    EXPECT_EQ(state.ap, 256);
}

TEST(G726Variant, ArbitraryCodeWordsKeepTheStateInItsLimits) {
    // A hostile stream chooses every code word; the limits must hold whatever it sends.
    G726VariantState state;
    std::uint32_t random = 1;
    for (int i = 0; i < 200000; ++i) {
        random = random * 1664525u + 1013904223u;
        // Long runs of one code drive the scale factor and predictor to their extremes.
        const int code = static_cast<int>((random >> 30) & 3);
        for (int run = (random >> 20) & 15; run >= 0; --run) {
            decodeG726VariantSample(state, code);
        }
        ASSERT_GE(state.yu, 544);
        ASSERT_LE(state.yu, 5120);
        ASSERT_GE(state.yl, 544 * 64);
        ASSERT_LE(state.yl, 5120 * 64 + 63);
        ASSERT_LE(std::abs(state.a2), 12288);
        ASSERT_LE(std::abs(state.a1), 15360 - state.a2);
    }
}

TEST(G726Variant, PacksEightCodeWordsPerWordFirstInTheTopBits) {
    const auto speech = allSpeech();
    const auto pcm = std::span(speech).subspan(4000, 161);
    G726VariantState bySample;
    std::vector<int> codes;
    for (const std::int16_t s : pcm) {
        codes.push_back(encodeG726VariantSample(bySample, s));
    }

    G726VariantState packed;
    std::array<std::uint8_t, 42> words{};
    words.fill(0xEE);
    encodeG726Variant(packed, pcm, std::span(words).first(40));
    EXPECT_EQ(words[40], 0xEE);
    for (std::size_t i = 0; i < 160; ++i) {
        const unsigned word = words[2 * (i / 8)] | (words[2 * (i / 8) + 1] << 8);
        EXPECT_EQ(static_cast<int>((word >> (14 - 2 * (i % 8))) & 3), codes[i]) << i;
    }
    // The 161st sample is coded into the state although no word carries it.
    EXPECT_EQ(packed, bySample);
}

// Encodes pcm and decodes each code word at once, counting the samples after which the two
// state records differ.
struct RoundTrip {
    std::vector<std::int16_t> decoded;
    int divergences = 0;
};

RoundTrip roundTrip(const std::vector<std::int16_t>& pcm) {
    G726VariantState encoder;
    G726VariantState decoder;
    RoundTrip result;
    for (const std::int16_t s : pcm) {
        const int code = encodeG726VariantSample(encoder, s);
        result.decoded.push_back(decodeG726VariantSample(decoder, code));
        result.divergences += !(encoder == decoder);
    }
    return result;
}

TEST(G726Variant, EncoderAndDecoderTrackEachOtherOnLongSignals) {
    const auto speech = allSpeech();
    const RoundTrip natural = roundTrip(speech);
    EXPECT_EQ(natural.divergences, 0);
    const double snr = snrDb(speech, natural.decoded);
    EXPECT_GT(snr, 8.0);

    // Amplified into clipping, the halved history overflows 16 bits and wraps; both sides must
    // wrap alike.
    const RoundTrip overloaded = roundTrip(amplified(speech, 4));
    EXPECT_EQ(overloaded.divergences, 0);
}

}  // namespace
}  // namespace kinorex::voice
