#include "progress_bar_model.h"

#include <gtest/gtest.h>

#include <climits>

namespace kinorex {
namespace {

std::string textAt(int position) {
    ProgressBarModel bar;
    bar.setPosition(position, 200);
    return bar.paintedText().value();
}

TEST(ProgressBarModelTest, PercentageTruncatesTheInexactFraction) {
    EXPECT_EQ(textAt(29), "28%");
    EXPECT_EQ(textAt(57), "56%");
    EXPECT_EQ(textAt(58), "57%");
    for (int position = 0; position <= 100; ++position) {
        if (position != 29 && position != 57 && position != 58) {
            EXPECT_EQ(textAt(position), std::to_string(position) + "%");
        }
    }
    EXPECT_EQ(textAt(120), "120%") << "the position is not clamped";
}

TEST(ProgressBarModelTest, FilledWidthFollowsFractionOfClientWidth) {
    ProgressBarModel bar;
    bar.setPosition(50, 200);
    EXPECT_EQ(bar.filledWidth(200), 100);
    bar.setRange(10, 20);
    bar.setPosition(15, 200);
    EXPECT_EQ(bar.filledWidth(200), 100);
    EXPECT_EQ(bar.paintedText(), "50%");
}

TEST(ProgressBarModelTest, RepaintsOnlyWhenFilledWidthChanges) {
    ProgressBarModel bar;
    // 50 pixels for 100 units: two positions per pixel.
    EXPECT_TRUE(bar.setPosition(0, 50).repaint) << "nothing recorded yet";
    EXPECT_FALSE(bar.setPosition(1, 50).repaint);
    EXPECT_TRUE(bar.setPosition(2, 50).repaint);
    EXPECT_FALSE(bar.setPosition(3, 50).repaint);
    bar.resized();
    EXPECT_TRUE(bar.setPosition(3, 50).repaint) << "a resize forgets the painted width";

    const auto change = bar.setPosition(90, 50);
    EXPECT_EQ(change.previous, 3);
    EXPECT_EQ(bar.position(), 90);
}

TEST(ProgressBarModelTest, OwnTextReplacesPercentage) {
    ProgressBarModel bar;
    EXPECT_TRUE(bar.setText("Reading"));
    EXPECT_EQ(bar.paintedText(), "Reading");
    EXPECT_FALSE(bar.setText("Reading")) << "the same text needs no repaint";
    EXPECT_TRUE(bar.setText(""));
    EXPECT_EQ(bar.paintedText(), "0%");

    EXPECT_FALSE(bar.setTextShown(true));
    EXPECT_TRUE(bar.setTextShown(false));
    EXPECT_FALSE(bar.paintedText().has_value());
}

TEST(ProgressBarModelTest, PositionsFarOutsideTheRangeStayWithinTheBar) {
    ProgressBarModel bar;
    bar.setRange(0, 1);
    bar.setPosition(INT_MAX, 200);
    EXPECT_EQ(bar.filledWidth(200), 200);
    EXPECT_EQ(bar.paintedText(), std::to_string(INT_MAX) + "%");
    bar.setPosition(INT_MIN, 200);
    EXPECT_EQ(bar.filledWidth(200), 0);

    bar.setRange(5, 5);
    EXPECT_FALSE(bar.paintable());
    EXPECT_EQ(bar.filledWidth(200), 0);
}

}  // namespace
}  // namespace kinorex
