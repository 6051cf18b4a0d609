#pragma once

#include <cstddef>

namespace kinorex {

// A recording begins with a fixed-size file header; the frame records follow it directly.
inline constexpr std::size_t kFileHeaderSize = 1428;

}  // namespace kinorex
