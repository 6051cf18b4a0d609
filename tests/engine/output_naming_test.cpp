#include "output_naming.h"

#include <gtest/gtest.h>

#include <string>

namespace kinorex {
namespace {

TEST(OutputNaming, DefaultFolderIsTheTextBeforeTheLastSeparator) {
    EXPECT_EQ(defaultOutputFolder("/rec/day1/cam1.h264"), "/rec/day1");
    EXPECT_EQ(defaultOutputFolder("/cam1.h264"), "");  // a file at the root
    EXPECT_EQ(defaultOutputFolder("cam1.h264"), "");   // no separator at all
}

TEST(OutputNaming, PrefixUsesTheBaseNameUpToTheLastDot) {
    EXPECT_EQ(outputPrefix("/rec/cam1.2010.h264", "/avi"), "/avi/cam1.2010");
    EXPECT_EQ(outputPrefix("/rec/cam.1.h264", "/avi"), "/avi/cam.1");
    // Dots in folder names never count.
    EXPECT_EQ(outputPrefix("/rec.d/cam1", "/avi"), "/avi/");
    // A name without a dot has an empty base name.
    EXPECT_EQ(outputPrefix("/rec/cam1", "/avi"), "/avi/");
    EXPECT_EQ(outputPrefix("x.h264", "/out"), "/out/x");
}

TEST(OutputNaming, FolderIsUsedUnchangedEvenWithATrailingSeparator) {
    EXPECT_EQ(outputPrefix("/rec/x.h264", "/"), "//x");
    EXPECT_EQ(outputPrefix("/x.h264", defaultOutputFolder("/x.h264")), "/x");
}

TEST(OutputNaming, ChannelFileNameHasNoLeadingZero) {
    EXPECT_EQ(channelFileName("/avi/rec", 3), "/avi/rec_3.avi");
    EXPECT_EQ(channelFileName("/avi/rec", 12), "/avi/rec_12.avi");
}

TEST(OutputNaming, ChannelFileNameMustFitWithItsTerminator) {
    // "_16.avi" is 7 bytes: a 252-byte prefix gives 259 bytes plus the zero.
    const std::string fits(252, 'a');
    ASSERT_TRUE(channelFileName(fits, 16).has_value());
    EXPECT_EQ(channelFileName(fits, 16)->size(), 259u);
    EXPECT_FALSE(channelFileName(fits + "a", 16).has_value());
    EXPECT_TRUE(channelFileName(fits + "a", 9).has_value());  // one digit fewer
}

}  // namespace
}  // namespace kinorex
