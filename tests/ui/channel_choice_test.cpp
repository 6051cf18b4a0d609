#include "channel_choice.h"

#include <gtest/gtest.h>

namespace kinorex {
namespace {

// A recording's channel as the pre-scan leaves it.
struct Channel {
    int number;
    int width = 704;
    int height = 576;
    bool voice = false;
    int frames = 100;
    int rate = 25;
};

RecordingContents recording(std::initializer_list<Channel> channels, bool whole = true) {
    RecordingContents contents;
    contents.scannedWhole = whole;
    for (const Channel& c : channels) {
        ChannelInfo& info = contents.channels[c.number - 1];
        info = {.frameRate = c.rate,
                .width = c.width,
                .height = c.height,
                .hasVideo = 1,
                .audioChannel = c.number,
                .hasAudio = c.voice ? 1 : 0,
                .videoFrames = c.frames};
    }
    return contents;
}

TEST(ChannelChoiceTest, EnablesChannelsWithVideoAndSaysWhatTheyHold) {
    struct Case {
        const char* what;
        std::vector<RecordingContents> recordings;
        std::uint32_t enabled;
        int channel;  // whose tooltip is checked
        const char* toolTip;
    };
    const Case cases[] = {
        {"nothing looked at: everything offered", {}, 0xFFFF, 1, ""},
        {"one recording, seen whole",
         {recording({{.number = 1, .voice = true, .frames = 2000}, {.number = 3}})},
         0x0005,
         1,
         "704x576, with voice, about 1 min 20 s"},
        {"a channel without video",
         {recording({{.number = 1}, {.number = 3}})},
         0x0005,
         2,
         "No video in this recording"},
        {"not seen whole: no length",
         {recording({{.number = 1, .width = 352, .height = 288}}, false)},
         0x0001,
         1,
         "352x288, no voice"},
        {"unknown rate: no length",
         {recording({{.number = 1, .rate = 0}})},
         0x0001,
         1,
         "704x576, no voice"},
        {"unknown picture size",
         {recording({{.number = 2, .width = 0, .height = 0}})},
         0x0002,
         2,
         "unknown picture size, no voice, about 4 s"},
        {"several: video in any",
         {recording({{.number = 1}}), recording({{.number = 16}})},
         0x8001,
         16,
         "704x576, no voice"},
        {"several: voice in some, sizes differ, no length",
         {recording({{.number = 1, .voice = true}}),
          recording({{.number = 1, .width = 352, .height = 288}}), recording({{.number = 2}})},
         0x0003,
         1,
         "352x288 or 704x576, voice in 1 of 2 recordings"},
        {"several: no video in any",
         {recording({{.number = 1}}), recording({{.number = 2}})},
         0x0003,
         3,
         "No video in any of the recordings"},
    };
    for (const Case& c : cases) {
        const ChannelChoice choice = channelChoice(c.recordings);
        EXPECT_EQ(choice.enabled, c.enabled) << c.what;
        EXPECT_EQ(choice.toolTips[c.channel - 1], c.toolTip) << c.what;
    }
}

TEST(ChannelChoiceTest, AboutDuration) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "under 1 s"},          {59, "about 59 s"},
        {60, "about 1 min 0 s"},   {3599, "about 59 min 59 s"},
        {3600, "about 1 h 0 min"}, {7830, "about 2 h 10 min"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(aboutDuration(seconds), text);
    }
}

}  // namespace
}  // namespace kinorex
