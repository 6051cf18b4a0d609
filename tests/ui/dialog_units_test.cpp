#include "dialog_units.h"

#include <gtest/gtest.h>

namespace kinorex {
namespace {

TEST(DialogUnitsTest, BaseUnitsComeFromTheAlphabetsAverageWidth) {
    // 52 letters 312 pixels wide: 6 per letter, as an 8-point dialog font on a 96 dpi screen.
    const auto base = baseUnitsFromAlphabet(312, 13);
    EXPECT_EQ(base.x, 6);
    EXPECT_EQ(base.y, 13);
    EXPECT_EQ(baseUnitsFromAlphabet(353, 13).x, 7) << "6.8 rounds to 7";
}

TEST(DialogUnitsTest, ConversionRoundsToNearestPixel) {
    const DialogBaseUnits base{6, 13};
    const auto pixels = toPixels({55, 92, 50, 14}, base);
    EXPECT_EQ(pixels.x, 83);   // 82.5 rounds up
    EXPECT_EQ(pixels.y, 150);  // 149.5 rounds up
    EXPECT_EQ(pixels.width, 75);
    EXPECT_EQ(pixels.height, 23);  // 22.75
}

TEST(DialogUnitsTest, WidensOnlyWhereContentDoesNotFit) {
    const DialogBaseUnits base{7, 13};
    EXPECT_EQ(widenedToFit(base, 35, 61).x, 7);
    const auto widened = widenedToFit(base, 35, 71);
    EXPECT_EQ(widened.x, 9);
    EXPECT_GE(horizontalPixels(35, widened), 71);
    EXPECT_EQ(widened.y, 13);
}

}  // namespace
}  // namespace kinorex
