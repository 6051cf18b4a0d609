#pragma once

#include <array>
#include <cstdint>

namespace kinorex {

// Channel numbers run from 1 to this; channel indexes from 0.
inline constexpr int kChannelCount = 16;
inline constexpr std::uint32_t kAllChannelsMask = (1u << kChannelCount) - 1;

// What a conversion knows about one channel before the worker starts.
struct ChannelInfo {
    std::int32_t frameRate = 0;  // header rate, or the pre-scan's key-frame rate
    std::int32_t width = 0;      // from the file header
    std::int32_t height = 0;
    std::int32_t hasVideo = 0;      // the pre-scan saw a video frame of this channel
    std::int32_t audioChannel = 0;  // 1-based channel whose audio frames this channel carries
    std::int32_t hasAudio = 0;      // that audio was found: the file gets a PCM stream
    std::int32_t videoFrames = 0;   // video frames the pre-scan saw, for a length estimate
};

// Index i belongs to channel number i + 1.
using ChannelTable = std::array<ChannelInfo, kChannelCount>;

}  // namespace kinorex
