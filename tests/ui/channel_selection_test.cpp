#include "channel_selection.h"

#include <gtest/gtest.h>

#include <vector>

namespace kinorex {
namespace {

constexpr int kAll = -1;

// A mouse click as the dialog sees it: the press rule on the states from
// before the click, then the box toggles itself, then the "All" rule.
ChannelBoxStates click(ChannelBoxStates boxes, int box, std::uint32_t enabled = kAllChannelsMask) {
    boxes = afterLeftButtonPress(boxes, enabled);
    if (box == kAll) {
        boxes.all = !boxes.all;
        return afterAllClicked(boxes, enabled);
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

// Channels without video are offered unticked and cannot be ticked; "All" answers to the
// others only.
TEST(ChannelSelectionTest, DisabledChannelsStayOutOfTheMaskAndOfAll) {
    struct Case {
        const char* what;
        std::uint32_t enabled;
        std::vector<int> clicks;  // boxes clicked in turn, then one more press (on OK)
        std::uint32_t mask;
        bool all;
    };
    const Case cases[] = {
        {"opens with the four enabled ticked", 0x000F, {}, 0x000F, true},
        {"an unticked enabled channel unticks All", 0x000F, {2}, 0x000D, false},
        {"All ticks the enabled channels only", 0x000F, {2, kAll}, 0x000F, true},
        {"All over the enabled ones, gaps kept", 0x8421, {1, 16, kAll}, 0x8421, true},
        {"unticking every enabled channel gives 0", 0x0003, {1, 2}, 0, false},
        {"nothing enabled: nothing to tick", 0, {kAll, kAll}, 0, true},
    };
    for (const Case& c : cases) {
        auto boxes = initialChannelBoxes(c.enabled);
        for (int box : c.clicks) {
            boxes = click(boxes, box, c.enabled);
        }
        boxes = afterLeftButtonPress(boxes, c.enabled);
        EXPECT_EQ(channelMask(boxes), c.mask) << c.what;
        EXPECT_EQ(boxes.all, c.all) << c.what;
    }
}

}  // namespace
}  // namespace kinorex
