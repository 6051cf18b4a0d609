#include "options.h"

#include <gtest/gtest.h>

#include "progress_display.h"

namespace kinorex::cli {
namespace {

Options parsed(std::vector<std::string> args) {
    auto result = parseOptions(args);
    EXPECT_TRUE(std::holds_alternative<Options>(result));
    return std::get<Options>(result);
}

bool refused(std::vector<std::string> args) {
    return std::holds_alternative<UsageError>(parseOptions(args));
}

TEST(ChannelList, AcceptsNumbersAndRanges) {
    EXPECT_EQ(parseChannelList("1"), 0x0001u);
    EXPECT_EQ(parseChannelList("16"), 0x8000u);
    EXPECT_EQ(parseChannelList("1,3,5-8"), 0x00F5u);
    EXPECT_EQ(parseChannelList("1-16"), 0xFFFFu);
    EXPECT_EQ(parseChannelList("4-4,4"), 0x0008u);
}

TEST(ChannelList, RefusesAnythingElseAndSaysWhy) {
    const struct {
        const char* list;
        const char* problem;
    } cases[] = {
        {"", "the list is empty"},
        {",", "a channel number is missing"},
        {"1,", "a channel number is missing"},
        {"-2", "a channel number is missing"},
        {"0", "there is no channel 0; channels run from 1 to 16"},
        {"17", "there is no channel 17; channels run from 1 to 16"},
        {"99999999999", "there is no channel 99999999999; channels run from 1 to 16"},
        {"8-5", "the range runs backwards"},
        {"a", "'a' is not a channel number"},
        {"1 ,2", "'1 ' is not a channel number"},
        {"1;2", "'1;2' is not a channel number"},
        {"+1", "'+1' is not a channel number"},
        {"1-2-3", "'2-3' is not a channel number"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(parseChannelList(c.list, &problem).has_value()) << c.list;
        EXPECT_EQ(problem, c.problem) << c.list;
    }
}

TEST(Options, DefaultsConvertAllChannelsNextToTheSource) {
    const auto options = parsed({"a.h264", "b.h264"});
    EXPECT_EQ(options.sources, (std::vector<std::string>{"a.h264", "b.h264"}));
    EXPECT_EQ(options.channelMask, 0xFFFFu);
    EXPECT_TRUE(options.outputFolder.empty());
    EXPECT_EQ(options.format, OutputFormat::Avi);
    EXPECT_FALSE(options.info || options.quiet || options.help || options.version);
}

TEST(Options, ShortLongAndEqualsFormsAgree) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-o", "/out", "-c", "2,4", "-q", "-f", "mkv", "x"},
             {"--output", "/out", "--channels", "2,4", "--quiet", "--format", "mkv", "x"},
             {"--output=/out", "--channels=2,4", "x", "--format=mkv", "--quiet"},
             // Short options bundle and take attached values, as getopt has them.
             {"-o/out", "-qc", "2,4", "-fmkv", "x"},
             {"-qc2,4", "x", "-o", "/out", "-f", "mkv"}}) {
        const auto options = parsed(args);
        EXPECT_EQ(options.outputFolder, "/out");
        EXPECT_EQ(options.format, OutputFormat::Mkv);
        EXPECT_EQ(options.channelMask, 0x000Au);
        EXPECT_TRUE(options.quiet);
        EXPECT_EQ(options.sources, std::vector<std::string>{"x"});
    }
}

TEST(Options, DoubleDashEndsOptions) {
    EXPECT_EQ(parsed({"--", "-o"}).sources, std::vector<std::string>{"-o"});
}

TEST(Options, UsageErrorsSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"-c", "8-5", "x"}, "invalid channel list '8-5': the range runs backwards"},
        {{"x", "-c"}, "option -c needs a value (LIST)"},
        {{"x", "--output"}, "option --output needs a value (DIR)"},
        {{"x", "-o", ""}, "option --output needs a folder"},
        {{"--bogus", "x"}, "unknown option --bogus"},
        {{"-qz", "x"}, "unknown option -z"},
        {{"--quiet=yes", "x"}, "option --quiet takes no value"},
        {{"--info=1", "x"}, "option --info takes no value"},
    };
    for (const auto& c : cases) {
        const auto result = parseOptions(c.args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(result)) << c.message;
        EXPECT_EQ(std::get<UsageError>(result).message, c.message);
    }
}

TEST(Options, UsageErrors) {
    EXPECT_TRUE(refused({}));                  // no source
    EXPECT_TRUE(refused({"--info"}));          // still no source
    EXPECT_TRUE(refused({"-c", "", "x"}));     // empty list
    EXPECT_TRUE(refused({"-c", "0-3", "x"}));  // invalid list
    EXPECT_TRUE(refused({"x", "-c"}));         // missing value
    EXPECT_TRUE(refused({"x", "-o"}));
    EXPECT_TRUE(refused({"--bogus", "x"}));
    EXPECT_TRUE(refused({"-f", "MP4", "x"}));  // format names are lower case
    EXPECT_TRUE(refused({"--format=", "x"}));
    EXPECT_TRUE(refused({"x", "-f"}));
    EXPECT_TRUE(refused({"--quiet=yes", "x"}));
    EXPECT_FALSE(refused({"--help"}));
    EXPECT_FALSE(refused({"--version"}));
}

TEST(ProgressLine, ShowsBarPercentRateAndTimeLeft) {
    EXPECT_EQ(formatProgressLine(50, 12.5e6, 65),
              "[###############...............]  50%    12.5 MB/s  1:05 left");
    EXPECT_EQ(formatProgressLine(0, 0, -1),
              "[..............................]   0%     0.0 MB/s  -:-- left");
    EXPECT_EQ(formatProgressLine(130, 1e6, 0).substr(0, 37),
              "[##############################] 100%");
}

TEST(ProgressLine, FitsTheTerminal) {
    const struct {
        int columns;
        const char* line;
    } cases[] = {
        {60, "[##############..............]  50%    12.5 MB/s  1:05 left"},
        {40, "[####....]  50%    12.5 MB/s  1:05 left"},
        {36, " 50%    12.5 MB/s  1:05 left"},
        {12, " 50%    12."},
        {0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatProgressLine(50, 12.5e6, 65, c.columns), c.line) << c.columns;
    }
}

}  // namespace
}  // namespace kinorex::cli
