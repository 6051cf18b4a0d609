#pragma once

#include <cstddef>
#include <cstdint>

namespace kinorex {

// Recordings and AVI files store every number little-endian, whatever the machine reading or
// writing them. Byte is std::uint8_t or std::byte.
template <typename Byte>
std::uint32_t loadLe32(const Byte* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
    }
    return value;
}

template <typename Byte>
std::uint64_t loadLe64(const Byte* bytes) {
    return std::uint64_t{loadLe32(bytes)} | std::uint64_t{loadLe32(bytes + 4)} << 32;
}

// Writes the low size bytes of value.
template <typename Byte>
void storeLe(Byte* out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<Byte>(value >> (8 * i));
    }
}

template <typename Byte>
void storeLe32(Byte* out, std::uint32_t value) {
    storeLe(out, value, 4);
}

}  // namespace kinorex
