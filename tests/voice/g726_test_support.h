#pragma once

// Code words of a G.726 payload read and written bit by bit, straight from the
// definition of the two orders, as a reference for the coder's own packing.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kinorex::voice {

enum class PackOrder { kLsbFirst, kMsbFirst };

// Bit position p is bit p % 8 (LSB-first) or bit 7 - p % 8 (MSB-first) of byte
// p / 8. Code word k fills positions k * bits onwards, starting with its least
// (LSB-first) or most (MSB-first) significant bit.
inline int payloadBit(std::size_t position, PackOrder order) {
    const std::size_t inByte = position % 8;
    return static_cast<int>(order == PackOrder::kLsbFirst ? inByte : 7 - inByte);
}

inline int codeBit(int j, int bits, PackOrder order) {
    return order == PackOrder::kLsbFirst ? j : bits - 1 - j;
}

inline std::int32_t codeAt(std::span<const std::uint8_t> payload, std::size_t k, int bits,
                           PackOrder order) {
    std::int32_t code = 0;
    for (int j = 0; j < bits; ++j) {
        const std::size_t position =
            k * static_cast<std::size_t>(bits) + static_cast<std::size_t>(j);
        const int bit = (payload[position / 8] >> payloadBit(position, order)) & 1;
        code |= bit << codeBit(j, bits, order);
    }
    return code;
}

inline void setCodeAt(std::span<std::uint8_t> payload, std::size_t k, int bits, PackOrder order,
                      std::int32_t code) {
    for (int j = 0; j < bits; ++j) {
        const std::size_t position =
            k * static_cast<std::size_t>(bits) + static_cast<std::size_t>(j);
        const auto mask = static_cast<std::uint8_t>(1 << payloadBit(position, order));
        const bool set = ((code >> codeBit(j, bits, order)) & 1) != 0;
        payload[position / 8] = static_cast<std::uint8_t>(set ? payload[position / 8] | mask
                                                              : payload[position / 8] & ~mask);
    }
}

}  // namespace kinorex::voice
