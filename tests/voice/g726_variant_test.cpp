#include "g726_variant.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "test_signals.h"

namespace kinorex::voice {
namespace {

G726VariantState resetState() {
    G726VariantState state;
    g726VariantReset(state);
    return state;
}

int encodeFromReset(std::int16_t sample) {
    G726VariantState state = resetState();
    return g726VariantEncodeSample(state, sample);
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
        G726VariantState state = resetState();
        EXPECT_EQ(g726VariantDecodeSample(state, code), expected[static_cast<std::size_t>(code)]);
    }
}

TEST(G726Variant, OutputSaturatesButHistoryKeepsTheUnlimitedHalf) {
    G726VariantState state = resetState();
    bool saturatedAboveLimit = false;
    for (int i = 0; i < 60 && !saturatedAboveLimit; ++i) {
        const std::int16_t out = g726VariantDecodeSample(state, 1);
        saturatedAboveLimit = out == 32767 && state.sr1 > 16383;
    }
    EXPECT_TRUE(saturatedAboveLimit);

    state = resetState();
    bool negativeSaturation = false;
    for (int i = 0; i < 60 && !negativeSaturation; ++i) {
        negativeSaturation = g726VariantDecodeSample(state, 2) == -32768 && state.sr1 < -16384;
    }
    EXPECT_TRUE(negativeSaturation);
}

TEST(G726Variant, ToneFlagMakesTheNextSampleATransition) {
    G726VariantState state = resetState();
    for (const std::int16_t s : speechLikeSignal(400))
        g726VariantEncodeSample(state, s);
    ASSERT_NE(state.a1, 0);
    state.td = 1;
    g726VariantEncodeSample(state, 1000);
    EXPECT_EQ(state.a1, 0);
    EXPECT_EQ(state.a2, 0);
    for (const std::int16_t b : state.b)
        EXPECT_EQ(b, 0);
    EXPECT_EQ(state.td, 0);
    EXPECT_EQ(state.ap, 256);
}

TEST(G726Variant, FramePacksEightCodeWordsPerWordFirstInTheTopBits) {
    const auto pcm = speechLikeSignal(161);
    G726VariantState bySample = resetState();
    std::vector<int> codes;
    for (const std::int16_t s : pcm)
        codes.push_back(g726VariantEncodeSample(bySample, s));

    G726VariantState byFrame = resetState();
    std::array<std::uint8_t, 4 + 42> frame{};
    frame.fill(0xEE);
    ASSERT_EQ(g726VariantEncodeFrame(byFrame, pcm, frame.data()), 44u);
    EXPECT_EQ(frame[0], 0x00);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 20);
    EXPECT_EQ(frame[3], 0x00);
    EXPECT_EQ(frame[44], 0xEE);
    for (std::size_t i = 0; i < 160; ++i) {
        const unsigned word = frame[4 + 2 * (i / 8)] | (frame[5 + 2 * (i / 8)] << 8);
        EXPECT_EQ(static_cast<int>((word >> (14 - 2 * (i % 8))) & 3), codes[i]) << i;
    }
    // The 161st sample is coded into the state although the frame does not carry it.
    EXPECT_EQ(byFrame, bySample);

    G726VariantState shortFrame = resetState();
    EXPECT_EQ(g726VariantEncodeFrame(shortFrame, std::span(pcm).first(7), frame.data()), 4u);
    EXPECT_EQ(frame[2], 0);
}

TEST(G726Variant, EncoderAndDecoderTrackEachOtherOnLongSignals) {
    // Ten seconds at speech level, then at full scale, where the 16-bit histories wrap.
    for (const double peak : {12000.0, 32767.0}) {
        const auto pcm = speechLikeSignal(80000, peak);
        G726VariantState encoder = resetState();
        G726VariantState decoder = resetState();
        std::vector<std::int16_t> decoded;
        int divergences = 0;
        for (const std::int16_t s : pcm) {
            decoded.push_back(
                g726VariantDecodeSample(decoder, g726VariantEncodeSample(encoder, s)));
            if (!(encoder == decoder))
                ++divergences;
        }
        EXPECT_EQ(divergences, 0) << peak;
        EXPECT_GT(snrDb(pcm, decoded), 6.0) << peak;
        std::printf("peak %.0f: SNR %.2f dB\n", peak, snrDb(pcm, decoded));
    }
}

TEST(G726Variant, FramesDecodeEightSamplesPerWordInStreamOrder) {
    const auto pcm = speechLikeSignal(4800);
    G726VariantState frameEncoder = resetState();
    G726VariantState frameDecoder = resetState();
    G726VariantState sampleEncoder = resetState();
    G726VariantState sampleDecoder = resetState();
    std::array<std::uint8_t, 4 + 120> frame{};
    std::array<std::int16_t, 480> out{};
    for (std::size_t start = 0; start < pcm.size(); start += 160) {
        g726VariantEncodeFrame(frameEncoder, std::span(pcm).subspan(start, 160), frame.data());
        ASSERT_EQ(g726VariantDecodeFrame(frameDecoder, frame.data(), out.data()), 160u);
        for (std::size_t i = 0; i < 160; ++i) {
            const int code = g726VariantEncodeSample(sampleEncoder, pcm[start + i]);
            EXPECT_EQ(out[i], g726VariantDecodeSample(sampleDecoder, code));
        }
    }
    EXPECT_EQ(frameDecoder, sampleDecoder);
}

}  // namespace
}  // namespace kinorex::voice
