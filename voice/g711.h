#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// G.711 companding: one 8-bit code per 16-bit sample, no state.
namespace kinorex::voice {

enum class G711Law { kAlaw, kUlaw };

// Where the codes of a pair of samples go in each 16-bit payload word.
enum class G711ByteOrder { kSampleOrder, kWordBytesExchanged };

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
        if (segment > 1) {
            t <<= segment - 1;
        }
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

// Encodes pcm (an even number of samples) into as many code bytes.
void encodeG711(G711Law law, G711ByteOrder order, std::span<const std::int16_t> pcm,
                std::span<std::uint8_t> codeBytes);

// Decodes pcm.size() (even) code bytes into pcm.
void decodeG711(G711Law law, G711ByteOrder order, std::span<const std::uint8_t> codeBytes,
                std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
