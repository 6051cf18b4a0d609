#include "channel_selection.h"

#include <gtest/gtest.h>

namespace kinorex {
namespace {

constexpr int kAll = -1;

// A mouse click as the dialog sees it: the press rule on the states from
// before the click, then the box toggles itself, then the "All" rule.
ChannelBoxStates click(ChannelBoxStates boxes, int box) {
    boxes = afterLeftButtonPress(boxes);
    if (box == kAll) {
        boxes.all = !boxes.all;
        return afterAllClicked(boxes);
    }
    boxes.channels[box - 1] = !boxes.channels[box - 1];
    return boxes;
}

TEST(ChannelSelectionTest, OpensWithEveryBoxTicked) {
    const auto boxes = initialChannelBoxes();
    EXPECT_TRUE(boxes.all);
    EXPECT_EQ(channelMask(boxes), 0xFFFFu);
}

TEST(ChannelSelectionTest, MaskHasOneBitPerTickedChannel) {
    EXPECT_EQ(channelMask(click(initialChannelBoxes(), 3)), 0xFFFBu);
    EXPECT_EQ(channelMask(click(initialChannelBoxes(), 16)), 0x7FFFu);
}

TEST(ChannelSelectionTest, PressSeesStatesFromBeforeTheClick) {
    auto boxes = click(initialChannelBoxes(), 5);
    EXPECT_TRUE(boxes.all) << "the press still saw all sixteen ticked";
    boxes = afterLeftButtonPress(boxes);  // the next press anywhere, e.g. on OK
    EXPECT_FALSE(boxes.all);
    EXPECT_EQ(channelMask(boxes), 0xFFEFu);
}

TEST(ChannelSelectionTest, TickingAllTicksEveryChannel) {
    auto unticked = afterLeftButtonPress(click(initialChannelBoxes(), 7));
    ASSERT_FALSE(unticked.all);
    EXPECT_EQ(click(unticked, kAll), initialChannelBoxes());

    // A ticked "All" over an unticked channel: the press unticks it, the click ticks it again.
    auto stillTicked = click(initialChannelBoxes(), 7);
    ASSERT_TRUE(stillTicked.all);
    EXPECT_EQ(click(stillTicked, kAll), initialChannelBoxes());
}

TEST(ChannelSelectionTest, UntickingAllLeavesChannelsAlone) {
    const auto boxes = click(initialChannelBoxes(), kAll);
    EXPECT_FALSE(boxes.all);
    EXPECT_EQ(channelMask(boxes), 0xFFFFu);
}

}  // namespace
}  // namespace kinorex
