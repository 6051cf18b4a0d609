#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kinorex::tools {

// One channel of a generated recording.
struct ChannelSource {
    int channelNumber = 0;                          // 1..16
    std::filesystem::path video{};                  // H.264 Annex B elementary stream
    std::optional<std::filesystem::path> speech{};  // raw 8 kHz mono s16le
    int fps = 0;                                    // 0: taken from the clip's file name
    // Audio channel number in the channel's video frames; by default its own number when it
    // has speech, else 0.
    std::optional<std::uint8_t> audioChannel{};
    // The channel's video starts one voice frame late, so its first audio frame comes
    // before its first video frame.
    bool audioFirst = false;
};

// Everything a generated recording holds, including the deliberately awkward parts.
struct RecordingPlan {
    std::filesystem::path output{};
    std::vector<ChannelSource> channels{};
    // Repeat every clip and every speech file up to this many seconds; 0 plays each once.
    double loopSeconds = 0;
    // After every tenth record, one record with this channel index (16 or more).
    std::optional<std::uint32_t> strayChannelIndex{};
    // After every tenth record, one record of this frame type on channel index 0.
    std::optional<std::uint8_t> unknownType{};
    // The file ends in a video record cut short, after the index chain.
    bool truncateLast = false;
};

// Reads make-recording's command line (arguments without the program name). Throws
// std::invalid_argument with a message for the user on anything it cannot use.
RecordingPlan parseRecordingPlan(const std::vector<std::string>& arguments);

// The command line's description, for --help and for errors.
extern const char* const kRecordingPlanUsage;

}  // namespace kinorex::tools
