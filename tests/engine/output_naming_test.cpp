#include "output_naming.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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
    // Dots in folder names never count; a name without a dot, or with a leading one only,
    // is taken whole.
    {kPosixPaths, "/rec.d/cam1", "/rec.d", "/avi", "/avi/cam1"},
    {kPosixPaths, "day1/20240101_0800", "day1", "out", "out/20240101_0800"},
    {kPosixPaths, "/rec/.h264", "/rec", "/avi", "/avi/.h264"},
    // A folder ending in a separator gets no second one.
    {kPosixPaths, "x.h264", "", "out/", "out/x"},
    {kPosixPaths, "x.h264", "", "/out", "/out/x"},
    // A file at the root: its folder text is empty, and the folder is used unchanged.
    {kPosixPaths, "/x.h264", "", "", "/x"},
    {kPosixPaths, "/rec/x.h264", "/rec", "/", "/x"},
    // On POSIX a backslash belongs to the name.
    {kPosixPaths, "/rec/a\\b.h264", "/rec", "/avi", "/avi/a\\b"},
    {kWindowsPaths, "C:\\rec\\x.h264", "C:\\rec", "C:\\rec", "C:\\rec\\x"},
    {kWindowsPaths, "C:\\x.h264", "C:", "C:", "C:\\x"},
    {kWindowsPaths, "C:\\rec\\cam1.2010.h264", "C:\\rec", "E:\\avi", "E:\\avi\\cam1.2010"},
    {kWindowsPaths, "C:/rec/x.h264", "C:/rec", "C:/rec", "C:/rec\\x"},
    {kWindowsPaths, "C:\\rec/day1\\x.h264", "C:\\rec/day1", "D:\\", "D:\\x"},
    {kWindowsPaths, "\\\\server\\share\\x.h264", "\\\\server\\share", "E:\\avi", "E:\\avi\\x"},
    {kWindowsPaths, "C:\\rec.d\\cam1", "C:\\rec.d", "E:\\avi", "E:\\avi\\cam1"},
    {kWindowsPaths, "C:\\rec\\x.h264", "C:\\rec", "E:\\avi/", "E:\\avi/x"},
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

TEST(OutputNaming, ChannelPartNumberKnowsOnlyTheChannelsOwnNames) {
    const struct {
        const char* name;
        std::optional<int> part;
    } cases[] = {
        {"rec_3.avi", 1},         {"rec_3_part2.avi", 2},
        {"rec_3_part17.avi", 17}, {"rec_3_part1.avi", {}},
        {"rec_3_part02.avi", {}}, {"rec_3_part.avi", {}},
        {"rec_3_part2.mkv", {}},  {"rec_3_part2x.avi", {}},
        {"rec_33_part2.avi", {}}, {"rec_3_part2.avi.bak", {}},
        {"xrec_3_part2.avi", {}}, {"rec_3.avi_part2.avi", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(channelPartNumber(c.name, "rec_3.avi"), c.part) << c.name;
    }
}

// Each case: the batch, then what findOutputConflicts says of it, as "kind earlier later".
struct ConflictCase {
    const PathStyle& style;
    std::vector<PlannedSource> batch;
    std::vector<std::string> conflicts;
};

std::string describe(const OutputConflict& conflict) {
    return std::string(conflict.kind == OutputConflict::Kind::SameSource ? "same-source "
                                                                         : "same-names ") +
           std::to_string(conflict.earlier) + " " + std::to_string(conflict.later);
}

TEST(OutputConflicts, SameNamesAreFoundHoweverThePathsAreSpelt) {
    const ConflictCase cases[] = {
        {kPosixPaths, {{"day1/rec.h264", "out"}, {"day2/rec.h264", "out"}}, {"same-names 0 1"}},
        {kPosixPaths, {{"day1/rec.h264", "out"}, {"day2/rec.h264", "out2"}}, {}},
        // Another extension, the same stem: the files would still share their names.
        {kPosixPaths, {{"a/rec.h264", "out"}, {"b/rec.dav", "./out/"}}, {"same-names 0 1"}},
        {kPosixPaths, {{"a/rec.h264", "/home/u/out"}, {"b/rec.h264", "out"}}, {"same-names 0 1"}},
        {kPosixPaths, {{"a/rec.h264", "x/../out"}, {"b/rec.h264", "out//"}}, {"same-names 0 1"}},
        {kPosixPaths, {{"a/Rec.h264", "out"}, {"b/rec.h264", "out"}}, {}},
        {kWindowsPaths, {{"a\\Rec.h264", "C:\\Out"}, {"b/rec.h264", "c:/out"}}, {"same-names 0 1"}},
        // Named twice: converted once, also when spelt another way.
        {kPosixPaths,
         {{"rec.h264", "out"}, {"./rec.h264", "out"}, {"/home/u/rec.h264", "out"}},
         {"same-source 0 1", "same-source 0 2"}},
        // The same source into two folders is two conversions.
        {kPosixPaths, {{"rec.h264", "out1"}, {"rec.h264", "out2"}}, {}},
        // Names without an extension are names of their own.
        {kPosixPaths, {{"20240101_0800", "out"}, {"20240101_0900", "out"}}, {}},
        {kPosixPaths,
         {{"a/rec.h264", "out"}, {"a/rec.h264", "out"}, {"b/rec.h264", "out"}},
         {"same-source 0 1", "same-names 0 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.batch.front().source + " " + c.batch.back().source);
        std::vector<std::string> found;
        for (const auto& conflict : findOutputConflicts(c.batch, "/home/u", "avi", c.style)) {
            found.push_back(describe(conflict));
        }
        EXPECT_EQ(found, c.conflicts);
    }
}

TEST(OutputConflicts, MessagesNameBothSourcesAndTheFiles) {
    const std::vector<PlannedSource> batch = {
        {"day1/rec.h264", "out"}, {"day2/rec.h264", "out"}, {"day1/rec.h264", "out"}};
    const auto conflicts = findOutputConflicts(batch, "/w", "avi", kPosixPaths);
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[0].message,
              "day1/rec.h264 and day2/rec.h264 would both write out/rec_N.avi");
    EXPECT_EQ(conflicts[1].message, "day1/rec.h264 is named twice; it is converted once");
}

}  // namespace
}  // namespace kinorex
