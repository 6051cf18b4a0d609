#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "channel_table.h"
#include "converter.h"

namespace kinorex {

// What the channel dialog offers: the channels that can be converted and, for each
// channel, a tooltip saying what the recordings hold in it.
struct ChannelChoice {
    std::uint32_t enabled = kAllChannelsMask;
    std::array<std::string, kChannelCount> toolTips{};
};

// A channel can be converted when any of the recordings has video in it. Without any
// recording looked at, every channel is offered and none has a tooltip.
ChannelChoice channelChoice(const std::vector<RecordingContents>& recordings);

// "about 42 s", "about 3 min 5 s", "about 2 h 10 min".
std::string aboutDuration(std::int64_t seconds);

}  // namespace kinorex
