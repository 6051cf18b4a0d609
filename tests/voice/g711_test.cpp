#include "g711.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace kinorex::voice {
namespace {

std::vector<std::int16_t> readWords(const std::string& name) {
    const std::string path = std::string(KINOREX_TESTDATA_DIR) + "/g711/" + name;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> words;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        words.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return words;
}

TEST(G711, AlawMatchesItuSweepForEveryInput) {
    const auto input = readWords("sweep.src");
    const auto codes = readWords("sweep-r.a");
    const auto decoded = readWords("sweep-r.rea");
    ASSERT_EQ(input.size(), 65536u);
    ASSERT_EQ(codes.size(), 65536u);
    ASSERT_EQ(decoded.size(), 65536u);

    std::set<int> codesSeen;
    int mismatches = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const std::uint8_t code = encodeAlaw(input[i]);
        codesSeen.insert(code);
        if (code != codes[i] || kAlawDecodeTable[code] != decoded[i]) {
            if (++mismatches <= 5) {
                ADD_FAILURE() << "input " << input[i];
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // The sweep reaches every code, so the whole decoding table has been checked against it.
    EXPECT_EQ(codesSeen.size(), 256u);
}

// G.711's mu-law quantizer on the magnitude of the top 14 bits: eight segments ending at 31, 95,
// ..., 8159, each cut into 16 equal steps; level 0 holds magnitude 0 alone. Returns the exclusive
// upper end of each of the 128 levels.
std::vector<int> ulawLevelEnds() {
    std::vector<int> ends;
    int start = -1;
    for (const int end : {31, 95, 223, 479, 991, 2015, 4063, 8159}) {
        const int step = (end - start) / 16;
        for (int j = 1; j <= 16; ++j) {
            ends.push_back(start + j * step);
        }
        start = end;
    }
    return ends;
}

int ulawLevel(int magnitude, const std::vector<int>& ends) {
    int level = 0;
    while (level < 127 && ends[static_cast<std::size_t>(level)] <= magnitude) {
        ++level;
    }
    return level;
}

TEST(G711, UlawEncoderFollowsTheQuantizerForEveryInput) {
    const auto ends = ulawLevelEnds();
    int mismatches = 0;
    for (int s = -32768; s <= 32767; ++s) {
        const int top14 = s >> 2;
        const int level = ulawLevel(top14 < 0 ? -top14 : top14, ends);
        // Sign bit set for non-negative input, all bits inverted.
        const int expected = (top14 < 0 ? 0x7F : 0xFF) - level;
        if (encodeUlaw(static_cast<std::int16_t>(s)) != expected && ++mismatches <= 5) {
            ADD_FAILURE() << "input " << s;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(G711, UlawTableHoldsTheMidpointOfEachLevel) {
    const auto ends = ulawLevelEnds();
    for (int level = 0; level < 128; ++level) {
        const int lower = level == 0 ? -1 : ends[static_cast<std::size_t>(level - 1)];
        const int upper = ends[static_cast<std::size_t>(level)];
        // Midpoint in 14-bit units, scaled by 4 to 16 bits.
        const int midpoint = 2 * (lower + upper);
        EXPECT_EQ(kUlawDecodeTable[static_cast<std::size_t>(0xFF - level)], midpoint) << level;
        EXPECT_EQ(kUlawDecodeTable[static_cast<std::size_t>(0x7F - level)], -midpoint) << level;
    }
}

TEST(G711, KnownCodesAndValues) {
    struct Case {
        G711Law law;
        std::int16_t sample;
        std::uint8_t code;
        std::int16_t decoded;
    };
    constexpr G711Law a = G711Law::kAlaw;
    constexpr G711Law u = G711Law::kUlaw;
    for (const Case c : {Case{a, 0, 0xD5, 8},
                         {a, 1, 0xD5, 8},
                         {a, -1, 0x55, -8},
                         {a, 1000, 0xFA, 1008},
                         {a, -1000, 0x7A, -1008},
                         {a, 32767, 0xAA, 32256},
                         {a, -32768, 0x2A, -32256},
                         {u, 0, 0xFF, 0},
                         {u, -1, 0x7E, -8},
                         {u, 100, 0xF2, 104},
                         {u, 1000, 0xCE, 988},
                         {u, -1000, 0x4E, -988},
                         {u, 32767, 0x80, 32124},
                         {u, -32768, 0x00, -32124}}) {
        const bool alaw = c.law == a;
        EXPECT_EQ(alaw ? encodeAlaw(c.sample) : encodeUlaw(c.sample), c.code) << c.sample;
        EXPECT_EQ((alaw ? kAlawDecodeTable : kUlawDecodeTable)[c.code], c.decoded) << c.sample;
    }
}

}  // namespace
}  // namespace kinorex::voice
