#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// G.711 companding: one 8-bit code per 16-bit sample, no state. Types 1 (A-law) and 2 (mu-law)
// carry the codes in sample order; 65 and 66 carry the same codes with the two bytes of every
// 16-bit payload word exchanged.
namespace kinorex::voice {

std::uint8_t encodeAlaw(std::int16_t sample);
std::uint8_t encodeUlaw(std::int16_t sample);

namespace detail {

constexpr std::array<std::int16_t, 256> makeAlawDecodeTable() {
    std::array<std::int16_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const int a = code ^ 0x55;
        const int q = a & 0x0F;
        const int segment = (a >> 4) & 7;
        int t = segment == 0 ? (q << 4) + 8 : (q << 4) + 0x108;
        if (segment > 1)
            t <<= segment - 1;
        table[static_cast<std::size_t>(code)] = static_cast<std::int16_t>((a & 0x80) ? t : -t);
    }
    return table;
}

constexpr std::array<std::int16_t, 256> makeUlawDecodeTable() {
    std::array<std::int16_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const int u = ~code & 0xFF;
        const int t = (((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 7);
        table[static_cast<std::size_t>(code)] =
            static_cast<std::int16_t>((u & 0x80) ? 0x84 - t : t - 0x84);
    }
    return table;
}

}  // namespace detail

// Linear sample for each code, indexed by the code.
inline constexpr std::array<std::int16_t, 256> kAlawDecodeTable = detail::makeAlawDecodeTable();
inline constexpr std::array<std::int16_t, 256> kUlawDecodeTable = detail::makeUlawDecodeTable();

// Codec types served here.
inline constexpr bool isG711Type(std::int16_t type) {
    return type == 1 || type == 2 || type == 65 || type == 66;
}

// Writes a whole voice frame of type 1, 2, 65 or 66 for pcm (1 to 481 samples): header with
// L = pcm.size() / 2 payload words, then the codes of the first 2 * L samples; an odd last sample
// is not carried. frame must hold 4 + 2 * L bytes. Returns the frame's size in bytes.
std::size_t encodeG711Frame(std::int16_t type, std::span<const std::int16_t> pcm,
                            std::uint8_t* frame);

// Decodes the 2 * L codes of a frame of type 1, 2, 65 or 66 whose length byte L the caller has
// checked; pcm must hold 2 * L samples. Returns the number of samples written.
std::size_t decodeG711Frame(std::int16_t type, const std::uint8_t* frame, std::int16_t* pcm);

}  // namespace kinorex::voice
