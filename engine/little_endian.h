#pragma once

#include <cstdint>

namespace kinorex {

// Recordings store every number little-endian, whatever the machine reading them.
inline std::uint32_t loadLe32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

inline std::uint64_t loadLe64(const std::uint8_t* bytes) {
    return std::uint64_t{loadLe32(bytes)} | std::uint64_t{loadLe32(bytes + 4)} << 32;
}

}  // namespace kinorex
