#include "g711.h"

#include <array>
#include <bit>

namespace kinorex::voice {

namespace {

// Position of the highest set bit; x > 0.
constexpr int highestBit(int x) {
    return std::bit_width(static_cast<unsigned>(x)) - 1;
}

std::size_t indexFlip(G711ByteOrder order) {
    return order == G711ByteOrder::kWordBytesExchanged ? 1 : 0;
}

// The segment search of each law, run once per possible input to fill the encoding tables.
constexpr std::uint8_t computeAlaw(std::int16_t sample) {
    int x = sample >> 3;
    int mask = 0xD5;
    if (x < 0) {
        mask = 0x55;
        x = ~x;
    }
    const int segment = x < 32 ? 0 : highestBit(x) - 4;
    const int q = (x >> (segment < 2 ? 1 : segment)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | q) ^ mask);
}

constexpr std::uint8_t computeUlaw(std::int16_t sample) {
    int x = sample >> 2;
    int mask = 0xFF;
    if (x < 0) {
        mask = 0x7F;
        x = -x;
    }
    if (x > 8159) {
        x = 8159;
    }
    x += 33;
    const int segment = highestBit(x) - 5;
    if (segment == 8) {
        return static_cast<std::uint8_t>(0x7F ^ mask);
    }
    const int q = (x >> (segment + 1)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | q) ^ mask);
}

// A-law reads only the top 13 bits of a sample and mu-law the top 14, so every code is one
// look-up indexed by those bits: no branch on the sign or the segment, which speech makes
// unpredictable.
template <int kIgnoredBits, std::uint8_t (*compute)(std::int16_t)>
constexpr auto encodingTable() {
    std::array<std::uint8_t, (1 << (16 - kIgnoredBits))> table{};
    for (std::size_t index = 0; index < table.size(); ++index) {
        table[index] = compute(static_cast<std::int16_t>(index << kIgnoredBits));
    }
    return table;
}

constexpr auto kAlawEncodeTable = encodingTable<3, computeAlaw>();
constexpr auto kUlawEncodeTable = encodingTable<2, computeUlaw>();

template <int kIgnoredBits, std::size_t kSize>
std::uint8_t lookUp(const std::array<std::uint8_t, kSize>& table, std::int16_t sample) {
    return table[static_cast<std::uint16_t>(sample) >> kIgnoredBits];
}

template <int kIgnoredBits, std::size_t kSize>
void encodeCodes(const std::array<std::uint8_t, kSize>& table, std::span<const std::int16_t> pcm,
                 std::size_t flip, std::uint8_t* codes) {
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        codes[i ^ flip] = lookUp<kIgnoredBits>(table, pcm[i]);
    }
}

}  // namespace

std::uint8_t encodeAlaw(std::int16_t sample) {
    return lookUp<3>(kAlawEncodeTable, sample);
}

std::uint8_t encodeUlaw(std::int16_t sample) {
    return lookUp<2>(kUlawEncodeTable, sample);
}

void encodeG711(G711Law law, G711ByteOrder order, std::span<const std::int16_t> pcm,
                std::span<std::uint8_t> codeBytes) {
    if (law == G711Law::kAlaw) {
        encodeCodes<3>(kAlawEncodeTable, pcm, indexFlip(order), codeBytes.data());
    } else {
        encodeCodes<2>(kUlawEncodeTable, pcm, indexFlip(order), codeBytes.data());
    }
}

void decodeG711(G711Law law, G711ByteOrder order, std::span<const std::uint8_t> codeBytes,
                std::span<std::int16_t> pcm) {
    const auto& table = law == G711Law::kAlaw ? kAlawDecodeTable : kUlawDecodeTable;
    const std::size_t flip = indexFlip(order);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = table[codeBytes[i ^ flip]];
    }
}

}  // namespace kinorex::voice
