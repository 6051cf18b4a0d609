// G.726 behaviour the ITU-T sequences do not reach: the record layout, the
// zero-magnitude code words, odd blocks, packing and repacking, and streams of
// arbitrary code words.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "g726.h"
#include "g726_test_support.h"

namespace kinorex::voice {
namespace {

constexpr std::array<int, 4> kAllBits = {2, 3, 4, 5};

std::vector<std::uint8_t> randomBytes(std::size_t count, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::vector<std::int16_t> randomSamples(std::size_t count, std::mt19937& random) {
    std::vector<std::int16_t> samples(count);
    for (auto& sample : samples) {
        sample = static_cast<std::int16_t>(random());
    }
    return samples;
}

G726State freshState(int bits) {
    G726State state;
    g726Reset(state, bits);
    return state;
}

// A voice context stores the record word by word after its type word, so
// the order and the start values are part of the frame stream's contract.
TEST(G726Reset, FillsTheRecordInItsDocumentedOrder) {
    for (int bits : kAllBits) {
        const G726State state = freshState(bits);
        std::array<std::int32_t, 26> words;
        std::memcpy(words.data(), &state, sizeof words);
        const std::array<std::int32_t, 26> expected = {2,  bits, 0, 0,  0,  0,  0,     0,  0,
                                                       0,  0,    0, 0,  32, 32, 32,    32, 32,
                                                       32, 0,    0, 32, 32, 0,  34816, 544};
        EXPECT_EQ(words, expected) << bits;
    }
}

TEST(G726Quantizer, BelowTheFirstDecisionLevelGivesAllOnesForEitherSign) {
    // From reset the estimate is 0 and the step is smallest: a difference of
    // at most one unit (inputs -4..7) falls below the first decision level.
    for (int bits : {3, 4, 5}) {
        const std::int32_t allOnes = (1 << bits) - 1;
        for (std::int16_t sample : {0, 3, 7, -1, -4}) {
            G726State state = freshState(bits);
            const G726Sample coded = g726CodeSample(state, G726Direction::kEncode, sample);
            EXPECT_EQ(coded.code, allOnes) << bits << " " << sample;
            EXPECT_EQ(coded.sample, 0);
            EXPECT_EQ(state.dq[0], 1056) << "negative zero in the history";
        }
    }
    // The 16 kbit/s quantizer has no zero level: magnitude 0 keeps its sign.
    G726State positive = freshState(2);
    G726State negative = freshState(2);
    EXPECT_EQ(g726CodeSample(positive, G726Direction::kEncode, 4).code, 0);
    EXPECT_EQ(g726CodeSample(negative, G726Direction::kEncode, -4).code, 3);
    EXPECT_EQ(positive.dq[0] & 1024, 0);
    EXPECT_EQ(negative.dq[0] & 1024, 1024);
}

TEST(G726Coder, NegativeZeroInTheHistoryTurnsItsZeroCoefficientDown) {
    // After a positive zero (code 0) every zero coefficient agrees with the next
    // positive difference; after a negative zero (code 15) B1 disagrees.
    G726State afterPositiveZero = freshState(4);
    G726State afterNegativeZero = freshState(4);
    for (auto [state, zeroCode] : {std::pair{&afterPositiveZero, 0}, {&afterNegativeZero, 15}}) {
        g726CodeSample(*state, G726Direction::kDecode, zeroCode);
        g726CodeSample(*state, G726Direction::kDecode, 1);
    }
    EXPECT_EQ(std::vector(std::begin(afterPositiveZero.b), std::end(afterPositiveZero.b)),
              std::vector({128, 128, 128, 128, 128, 128}));
    EXPECT_EQ(std::vector(std::begin(afterNegativeZero.b), std::end(afterNegativeZero.b)),
              std::vector({-128, 128, 128, 128, 128, 128}));
}

TEST(G726Block, OddLastSampleIsNeitherCodedNorCountedInTheState) {
    std::mt19937 random(1);
    const std::vector<std::int16_t> samples = randomSamples(7, random);
    for (int bits : kAllBits) {
        G726State odd = freshState(bits);
        G726State even = freshState(bits);
        std::array<std::uint8_t, 8> oddPayload{};
        std::array<std::uint8_t, 8> evenPayload{};
        EXPECT_EQ(g726EncodeBlock(odd, samples, oddPayload), g726PayloadBytes(6, bits));
        g726EncodeBlock(even, std::span(samples).first(6), evenPayload);
        EXPECT_EQ(oddPayload, evenPayload) << bits;
        EXPECT_EQ(odd, even) << bits;
    }
}

TEST(G726Block, EncoderWritesLsbFirstCodeWordsAndZeroFillsTheLastByte) {
    std::mt19937 random(2);
    for (int bits : kAllBits) {
        for (std::size_t count : {2u, 6u, 10u, 160u}) {
            const std::vector<std::int16_t> samples = randomSamples(count, random);
            std::vector<std::uint8_t> payload(g726PayloadBytes(count, bits), 0xFF);
            G726State block = freshState(bits);
            G726State reference = freshState(bits);
            g726EncodeBlock(block, samples, payload);
            std::vector<std::uint8_t> expected(payload.size(), 0);
            for (std::size_t k = 0; k < count; ++k) {
                const G726Sample coded =
                    g726CodeSample(reference, G726Direction::kEncode, samples[k]);
                setCodeAt(expected, k, bits, PackOrder::kLsbFirst, coded.code);
            }
            EXPECT_EQ(payload, expected) << bits << " bits, " << count << " samples";
        }
    }
}

// Each payload sits in an allocation of exactly its size, so that a read past
// its last byte shows under AddressSanitizer.
TEST(G726Block, DecoderReadsWholeCodeWordsInsideThePayloadOnly) {
    std::mt19937 random(3);
    for (int bits : kAllBits) {
        for (std::size_t bytes : {1u, 2u, 3u, 4u, 7u, 13u}) {
            const std::vector<std::uint8_t> source = randomBytes(bytes, random);
            const auto exact = std::make_unique<std::uint8_t[]>(bytes);
            std::memcpy(exact.get(), source.data(), bytes);
            const std::size_t codes = bytes * 8 / static_cast<std::size_t>(bits);
            std::vector<std::int16_t> decoded(codes + 1, 0x5555);

            G726State block = freshState(bits);
            ASSERT_EQ(g726DecodeBlock(block, std::span(exact.get(), bytes), decoded), codes);
            EXPECT_EQ(decoded[codes], 0x5555) << "wrote past the decoded samples";
            G726State reference = freshState(bits);
            for (std::size_t k = 0; k < codes; ++k) {
                const std::int32_t code = codeAt(source, k, bits, PackOrder::kLsbFirst);
                EXPECT_EQ(decoded[k],
                          g726CodeSample(reference, G726Direction::kDecode, code).sample);
            }
            EXPECT_EQ(block, reference) << bits << " bits, " << bytes << " bytes";
        }
    }
}

TEST(G726Repack, SwapsTheCodeWordOrderOfEachByteAtTwoAndFourBits) {
    std::array<std::uint8_t, 2> nibbles = {0x21, 0xA5};
    ASSERT_EQ(g726RepackToMsbFirst(nibbles, 4), 0);
    EXPECT_EQ(nibbles, (std::array<std::uint8_t, 2>{0x12, 0x5A}));
    // Codes 0, 1, 2, 3: bits 1..0 upwards when LSB-first, 7..6 downwards when MSB-first.
    std::array<std::uint8_t, 1> pairs = {0b11'10'01'00};
    ASSERT_EQ(g726RepackToMsbFirst(pairs, 2), 0);
    EXPECT_EQ(pairs[0], 0b00'01'10'11);
}

TEST(G726Repack, ReordersEveryCodeWordAndRoundTripsAtEveryWidth) {
    std::mt19937 random(4);
    for (int bits : kAllBits) {
        for (std::size_t frames : {0u, 1u, 3u, 12u, 60u}) {
            const std::size_t bytes = frames * static_cast<std::size_t>(bits);
            const std::vector<std::uint8_t> lsbFirst = randomBytes(bytes, random);
            std::vector<std::uint8_t> expected(bytes);
            const std::size_t codes = bytes * 8 / static_cast<std::size_t>(bits);
            for (std::size_t k = 0; k < codes; ++k) {
                setCodeAt(expected, k, bits, PackOrder::kMsbFirst,
                          codeAt(lsbFirst, k, bits, PackOrder::kLsbFirst));
            }
            std::vector<std::uint8_t> payload = lsbFirst;
            ASSERT_EQ(g726RepackToMsbFirst(payload, bits), 0);
            EXPECT_EQ(payload, expected) << bits << " bits, " << bytes << " bytes";
            ASSERT_EQ(g726RepackToLsbFirst(payload, bits), 0);
            EXPECT_EQ(payload, lsbFirst) << bits << " bits, " << bytes << " bytes";
        }
    }
}

TEST(G726Repack, RefusesPartialCodeWordsAndLeavesThePayloadAlone) {
    std::mt19937 random(5);
    for (auto [bits, bytes] : {std::pair{3, 7u}, {3, 4u}, {5, 4u}, {5, 6u}}) {
        const std::vector<std::uint8_t> original = randomBytes(bytes, random);
        std::vector<std::uint8_t> payload = original;
        EXPECT_EQ(g726RepackToMsbFirst(payload, bits), -1);
        EXPECT_EQ(g726RepackToLsbFirst(payload, bits), -1);
        EXPECT_EQ(payload, original) << bits << " bits, " << bytes << " bytes";
    }
}

// Arbitrary code words drive the predictor far outside speech, into the
// registers' wrap-around; the coder must stay defined (run under UBSan) and
// keep its adaptation state in its ranges.
TEST(G726Coder, ArbitraryCodeWordsKeepTheStateInRange) {
    std::mt19937 random(6);
    for (int bits : kAllBits) {
        G726State state = freshState(bits);
        G726State highBits = freshState(bits);
        for (int i = 0; i < 200000; ++i) {
            const auto code = static_cast<std::int32_t>(random() & ((1u << bits) - 1));
            const G726Sample decoded = g726CodeSample(state, G726Direction::kDecode, code);
            const std::int32_t noisy = code | static_cast<std::int32_t>(random() << bits & 0xFFFF);
            ASSERT_EQ(g726CodeSample(highBits, G726Direction::kDecode, noisy).sample,
                      decoded.sample);
            ASSERT_EQ(decoded.sample % 4, 0);
            ASSERT_GE(decoded.sample, -32768);
            ASSERT_LE(decoded.sample, 32764);
            ASSERT_GE(state.yu, 544);
            ASSERT_LE(state.yu, 5120);
            ASSERT_LE(std::abs(state.a2), 12288);
            ASSERT_LE(std::abs(state.a1), 15360 - state.a2);
            ASSERT_GE(state.ap, 0);
            ASSERT_LE(state.ap, 512);
        }
        EXPECT_EQ(state, highBits);
    }
}

}  // namespace
}  // namespace kinorex::voice
