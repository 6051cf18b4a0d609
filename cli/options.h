#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "channel_table.h"
#include "output_format.h"

namespace kinorex::cli {

struct Options {
    std::vector<std::string> sources;
    std::string outputFolder;                      // empty: each source's own folder
    std::uint32_t channelMask = kAllChannelsMask;  // bit i: channel number i + 1
    bool channelsNamed = false;                    // -c was given
    OutputFormat format = OutputFormat::Avi;
    bool info = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

struct UsageError {
    std::string message;
};

// Parses "1,3,5-8" into a channel mask; nothing for an empty or invalid list, and then
// `problem` (when given) says what is wrong, such as "the range runs backwards".
std::optional<std::uint32_t> parseChannelList(std::string_view list,
                                              std::string* problem = nullptr);

// Parses the arguments after the program name.
std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& args);

std::string usageText();

}  // namespace kinorex::cli
