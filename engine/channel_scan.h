#pragma once

#include <array>
#include <cstdint>

#include "recording/recording_layout.h"

namespace kinorex {

class RecordingReader;

// A channel whose video shows a key frame before its audio is found is taken to run at this
// rate, whatever its header says.
inline constexpr std::int32_t kKeyFrameBeforeAudioRate = 25;

// What a conversion knows about one channel before the worker starts.
struct ChannelInfo {
    std::int32_t frameRate = 0;  // header rate, or kKeyFrameBeforeAudioRate
    std::int32_t width = 0;      // from the file header
    std::int32_t height = 0;
    std::int32_t hasVideo = 0;      // the pre-scan saw a video frame of this channel
    std::int32_t audioChannel = 0;  // 1-based channel whose audio frames this channel carries
    std::int32_t hasAudio = 0;      // that audio was found: the file gets a PCM stream
};

// Index i belongs to channel number i + 1.
using ChannelTable = std::array<ChannelInfo, kChannelCount>;

// Number of channels selected by the low 16 bits of a channel mask.
int selectedChannelCount(std::uint32_t channelMask);

// Fills each channel's picture size and frame rate from the open recording's header.
void readChannelHeaders(RecordingReader& reader, ChannelTable& table);

// Walks the frame records from the reader's current position to find which
// channels carry video and which carry audio, looking at no more than
// selectedCount * 10000 + 1 counted records.
void preScan(RecordingReader& reader, int selectedCount, ChannelTable& table);

}  // namespace kinorex
