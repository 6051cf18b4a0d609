// The ITU-T G.726 encoder sequences, run bit-exact from reset through the
// per-sample coder and through the block coder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "g726.h"
#include "g726_test_support.h"

namespace kinorex::voice {
namespace {

enum class Law { kALaw, kMuLaw };

struct VectorSet {
    int bits;
    Law law;
    bool overload;

    std::string input() const { return std::string(overload ? "ovr." : "nrm.") + lawLetter(); }
    std::string expected() const {
        return std::string("r") + (overload ? "v" : "n") + std::to_string(bits * 8) + "f" +
               lawLetter() + ".i";
    }
    char lawLetter() const { return law == Law::kALaw ? 'a' : 'm'; }
};

std::vector<std::uint16_t> readWords(const std::string& name) {
    const std::filesystem::path path = std::filesystem::path(KINOREX_TESTDATA_DIR) / "g726" / name;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::uint16_t> words(bytes.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return words;
}

// G.711 expansion at 16-bit scale: A-law +/-8..+/-32256, mu-law 0..+/-32124.
std::int16_t expandALaw(std::uint16_t code) {
    const int a = code ^ 0x55;
    const int segment = (a >> 4) & 7;
    const int level = ((a & 0x0F) << 4) + (segment == 0 ? 8 : 0x108);
    const int t = segment > 1 ? level << (segment - 1) : level;
    return static_cast<std::int16_t>((a & 0x80) ? t : -t);
}

std::int16_t expandMuLaw(std::uint16_t code) {
    const int u = ~code & 0xFF;
    const int t = (((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 7);
    return static_cast<std::int16_t>((u & 0x80) ? 0x84 - t : t - 0x84);
}

class G726Conformance : public ::testing::TestWithParam<VectorSet> {
protected:
    void SetUp() override {
        const VectorSet& set = GetParam();
        const std::vector<std::uint16_t> input = readWords(set.input());
        expected_ = readWords(set.expected());
        ASSERT_EQ(input.size(), set.overload ? 2048u : 16384u) << set.input();
        ASSERT_EQ(expected_.size(), input.size()) << set.expected();
        for (std::uint16_t code : input) {
            pcm_.push_back(set.law == Law::kALaw ? expandALaw(code) : expandMuLaw(code));
        }
    }

    std::vector<std::int16_t> pcm_;
    std::vector<std::uint16_t> expected_;
};

// Encoder and decoder run in lock step: every code word must match the
// sequence, and the decoder must reproduce the encoder's reconstruction and
// state exactly after every sample.
TEST_P(G726Conformance, PerSampleCoderMatchesSequenceAndDecoderTracksEncoder) {
    G726State encoder;
    G726State decoder;
    g726Reset(encoder, GetParam().bits);
    g726Reset(decoder, GetParam().bits);
    for (std::size_t i = 0; i < pcm_.size(); ++i) {
        const G726Sample encoded = g726CodeSample(encoder, G726Direction::kEncode, pcm_[i]);
        ASSERT_EQ(encoded.code, expected_[i]) << "sample " << i;
        const G726Sample decoded = g726CodeSample(decoder, G726Direction::kDecode, encoded.code);
        ASSERT_EQ(decoded.sample, encoded.sample) << "sample " << i;
        ASSERT_EQ(decoder, encoder) << "sample " << i;
    }
}

// The same signal through the block coder in 160-sample frames: the packed
// code words are the sequence's, and block decoding gives the reconstruction.
TEST_P(G726Conformance, BlockCoderMatchesSequence) {
    const int bits = GetParam().bits;
    G726State reference;
    G726State encoder;
    G726State decoder;
    g726Reset(reference, bits);
    g726Reset(encoder, bits);
    g726Reset(decoder, bits);
    constexpr std::size_t kFrame = 160;
    for (std::size_t start = 0; start < pcm_.size(); start += kFrame) {
        const std::size_t count = std::min(kFrame, pcm_.size() - start);
        std::vector<std::uint8_t> payload(g726PayloadBytes(count, bits));
        ASSERT_EQ(g726EncodeBlock(encoder, std::span(pcm_).subspan(start, count), payload),
                  payload.size());
        std::vector<std::int16_t> decoded(count);
        ASSERT_EQ(g726DecodeBlock(decoder, payload, decoded), count);
        for (std::size_t k = 0; k < count; ++k) {
            ASSERT_EQ(codeAt(payload, k, bits, PackOrder::kLsbFirst), expected_[start + k])
                << "sample " << start + k;
            const G726Sample expected =
                g726CodeSample(reference, G726Direction::kEncode, pcm_[start + k]);
            ASSERT_EQ(decoded[k], expected.sample) << "sample " << start + k;
        }
    }
}

std::vector<VectorSet> allSets() {
    std::vector<VectorSet> sets;
    for (int bits = 2; bits <= 5; ++bits) {
        for (Law law : {Law::kALaw, Law::kMuLaw}) {
            for (bool overload : {false, true}) {
                sets.push_back({bits, law, overload});
            }
        }
    }
    return sets;
}

INSTANTIATE_TEST_SUITE_P(ItuSequences, G726Conformance, ::testing::ValuesIn(allSets()),
                         [](const ::testing::TestParamInfo<VectorSet>& info) {
                             std::string name = info.param.expected();
                             name.resize(name.size() - 2);  // drop ".i"
                             return name;
                         });

}  // namespace
}  // namespace kinorex::voice
