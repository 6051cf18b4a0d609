#include "channel_selection.h"

#include <algorithm>

namespace kinorex {

ChannelBoxStates initialChannelBoxes() {
    ChannelBoxStates boxes;
    boxes.channels.fill(true);
    boxes.all = true;
    return boxes;
}

ChannelBoxStates afterAllClicked(ChannelBoxStates boxes) {
    if (boxes.all) {
        boxes.channels.fill(true);
    }
    return boxes;
}

ChannelBoxStates afterLeftButtonPress(ChannelBoxStates boxes) {
    const bool anyUnticked =
        std::any_of(boxes.channels.begin(), boxes.channels.end(), [](bool t) { return !t; });
    if (anyUnticked) {
        boxes.all = false;
    }
    return boxes;
}

std::uint32_t channelMask(const ChannelBoxStates& boxes) {
    std::uint32_t mask = 0;
    for (int i = 0; i < kChannelCount; ++i) {
        if (boxes.channels[i]) {
            mask |= std::uint32_t{1} << i;
        }
    }
    return mask;
}

}  // namespace kinorex
