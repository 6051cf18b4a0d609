#include "output_naming.h"

#include <gtest/gtest.h>

#include <string>

namespace kinorex {
namespace {

// One table for both path styles: the same rules, only the separators differ.
struct PathCase {
    const PathStyle& style;
    const char* source;
    const char* defaultFolder;
    const char* outputFolder;
    const char* prefix;
};

const PathCase kPathCases[] = {
    {kPosixPaths, "/rec/day1/cam1.h264", "/rec/day1", "/avi", "/avi/cam1"},
    {kPosixPaths, "/rec/cam1.2010.h264", "/rec", "/avi", "/avi/cam1.2010"},
    {kPosixPaths, "/rec/cam.1.h264", "/rec", "/avi", "/avi/cam.1"},
    // Dots in folder names never count; a name without a dot has an empty base name.
    {kPosixPaths, "/rec.d/cam1", "/rec.d", "/avi", "/avi/"},
    {kPosixPaths, "x.h264", "", "/out", "/out/x"},
    // A file at the root: its folder text is empty, and the folder is used unchanged.
    {kPosixPaths, "/x.h264", "", "", "/x"},
    {kPosixPaths, "/rec/x.h264", "/rec", "/", "//x"},
    // On POSIX a backslash belongs to the name.
    {kPosixPaths, "/rec/a\\b.h264", "/rec", "/avi", "/avi/a\\b"},
    {kWindowsPaths, "C:\\rec\\x.h264", "C:\\rec", "C:\\rec", "C:\\rec\\x"},
    {kWindowsPaths, "C:\\x.h264", "C:", "C:", "C:\\x"},
    {kWindowsPaths, "C:\\rec\\cam1.2010.h264", "C:\\rec", "E:\\avi", "E:\\avi\\cam1.2010"},
    {kWindowsPaths, "C:/rec/x.h264", "C:/rec", "C:/rec", "C:/rec\\x"},
    {kWindowsPaths, "C:\\rec/day1\\x.h264", "C:\\rec/day1", "D:\\", "D:\\\\x"},
    {kWindowsPaths, "\\\\server\\share\\x.h264", "\\\\server\\share", "E:\\avi", "E:\\avi\\x"},
    {kWindowsPaths, "C:\\rec.d\\cam1", "C:\\rec.d", "E:\\avi", "E:\\avi\\"},
    // UTF-8 names: no byte of a multibyte character is taken for a separator or a dot.
    {kWindowsPaths, "C:\\Aufnahmen\\Kamera ü1.h264", "C:\\Aufnahmen", "C:\\Aufnahmen",
     "C:\\Aufnahmen\\Kamera ü1"},
};

TEST(OutputNaming, DefaultFolderAndPrefixFollowThePathStyle) {
    for (const auto& c : kPathCases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(defaultOutputFolder(c.source, c.style), c.defaultFolder);
        EXPECT_EQ(outputPrefix(c.source, c.outputFolder, c.style), c.prefix);
    }
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
