#include "channel_selection.h"

namespace kinorex {

namespace {

bool isEnabled(std::uint32_t enabled, int index) {
    return (enabled >> index) & 1u;
}

void tickEnabled(ChannelBoxStates& boxes, std::uint32_t enabled) {
    for (int i = 0; i < kChannelCount; ++i) {
        boxes.channels[i] = isEnabled(enabled, i);
    }
}

}  // namespace

ChannelBoxStates initialChannelBoxes(std::uint32_t enabled) {
    ChannelBoxStates boxes;
    tickEnabled(boxes, enabled);
    boxes.all = true;
    return boxes;
}

ChannelBoxStates afterAllClicked(ChannelBoxStates boxes, std::uint32_t enabled) {
    if (boxes.all) {
        tickEnabled(boxes, enabled);
    }
    return boxes;
}

ChannelBoxStates afterLeftButtonPress(ChannelBoxStates boxes, std::uint32_t enabled) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (isEnabled(enabled, i) && !boxes.channels[i]) {
            boxes.all = false;
        }
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
