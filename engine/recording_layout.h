#pragma once

#include <cstddef>

namespace kinorex {

// A recording begins with a fixed-size file header; the frame records follow it directly.
inline constexpr std::size_t kFileHeaderSize = 1428;

// Every frame record starts with a header of this size; its payload follows.
inline constexpr std::size_t kFrameHeaderSize = 24;

// Every record buffer in the engine has this size, so a payload can be at most
// kFrameBufferSize - kFrameHeaderSize bytes.
inline constexpr std::size_t kFrameBufferSize = 0x80000;

// Channel numbers run from 1 to this; channel indexes from 0.
inline constexpr int kChannelCount = 16;

}  // namespace kinorex
