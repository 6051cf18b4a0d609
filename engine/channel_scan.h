#pragma once

#include <array>
#include <cstdint>

#include "channel_table.h"

namespace kinorex {

class RecordingReader;

// A channel whose video shows a key frame before its audio is found is taken to run at this
// rate, whatever its header says.
inline constexpr std::int32_t kKeyFrameBeforeAudioRate = 25;

// Number of channels selected by the low 16 bits of a channel mask.
int selectedChannelCount(std::uint32_t channelMask);

// Fills each channel's picture size and frame rate from the open recording's header.
void readChannelHeaders(RecordingReader& reader, ChannelTable& table);

// Walks the frame records from the reader's current position to find which
// channels carry video and which carry audio, looking at no more than
// selectedCount * 10000 + 1 counted records. True when it saw every record to the end.
bool preScan(RecordingReader& reader, int selectedCount, ChannelTable& table);

}  // namespace kinorex
