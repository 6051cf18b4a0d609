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

// Every box ticked: the dialog never shows an earlier choice.
ChannelBoxStates initialChannelBoxes();

// After "All" has toggled itself: ticking it ticks every channel; unticking it
// leaves the channels as they are.
ChannelBoxStates afterAllClicked(ChannelBoxStates boxes);

// Applied to the states from before a left-button press anywhere in the dialog,
// before the pressed control sees it: "All" cannot stay ticked while a channel
// is unticked.
ChannelBoxStates afterLeftButtonPress(ChannelBoxStates boxes);

// Bit n - 1 for every ticked channel n; "All" plays no part.
std::uint32_t channelMask(const ChannelBoxStates& boxes);

}  // namespace kinorex
