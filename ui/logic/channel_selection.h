#pragma once

#include <array>
#include <cstdint>

#include "channel_table.h"

namespace kinorex {

// The 17 check boxes of the channel selection dialog: "All" and one per
// channel, channels[0] being channel number 1.
struct ChannelBoxStates {
    bool all = false;
    std::array<bool, kChannelCount> channels{};

    bool operator==(const ChannelBoxStates&) const = default;
};

// `enabled` holds bit n - 1 for every channel n that can be converted; the others stay
// unticked and cannot be ticked. With every channel enabled the dialog behaves as it
// always did.

// Every enabled box ticked, and "All": the dialog never shows an earlier choice.
ChannelBoxStates initialChannelBoxes(std::uint32_t enabled = kAllChannelsMask);

// After "All" has toggled itself: ticking it ticks every enabled channel; unticking it
// leaves the channels as they are.
ChannelBoxStates afterAllClicked(ChannelBoxStates boxes, std::uint32_t enabled = kAllChannelsMask);

// Applied to the states from before a left-button press anywhere in the dialog,
// before the pressed control sees it: "All" cannot stay ticked while an enabled
// channel is unticked.
ChannelBoxStates afterLeftButtonPress(ChannelBoxStates boxes,
                                      std::uint32_t enabled = kAllChannelsMask);

// Bit n - 1 for every ticked channel n; "All" plays no part.
std::uint32_t channelMask(const ChannelBoxStates& boxes);

}  // namespace kinorex
