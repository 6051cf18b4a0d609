#include "options.h"

#include <charconv>

namespace kinorex::cli {

namespace {

std::optional<int> parseChannelNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 1 ||
        value > kChannelCount) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::uint32_t> parseChannelList(std::string_view list) {
    if (list.empty()) {
        return std::nullopt;
    }
    std::uint32_t mask = 0;
    while (true) {
        const auto comma = list.find(',');
        const auto item = list.substr(0, comma);
        const auto dash = item.find('-');
        const auto first = parseChannelNumber(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : parseChannelNumber(item.substr(dash + 1));
        if (!first || !last || *first > *last) {
            return std::nullopt;
        }
        for (int n = *first; n <= *last; ++n) {
            mask |= 1u << (n - 1);
        }
        if (comma == std::string_view::npos) {
            return mask;
        }
        list.remove_prefix(comma + 1);
    }
}

std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& args) {
    Options options;
    bool onlySources = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlySources || arg.empty() || arg[0] != '-' || arg == "-") {
            options.sources.push_back(arg);
            continue;
        }

        // Accept "--output=DIR" as well as "--output DIR" and "-o DIR".
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto equals = arg.find('=');
            arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value) {
                return value;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };

        if (name == "--") {
            onlySources = true;
        } else if (name == "-o" || name == "--output") {
            const auto folder = takeValue();
            if (!folder || folder->empty()) {
                return UsageError{"option " + name + " needs a folder"};
            }
            options.outputFolder = *folder;
        } else if (name == "-c" || name == "--channels") {
            const auto list = takeValue();
            if (!list) {
                return UsageError{"option " + name + " needs a channel list"};
            }
            const auto mask = parseChannelList(*list);
            if (!mask) {
                return UsageError{"invalid channel list '" + *list +
                                  "': use channel numbers 1 to 16, such as 1,3,5-8"};
            }
            options.channelMask = *mask;
        } else if (value) {
            return UsageError{"option " + name + " takes no value"};
        } else if (name == "--info") {
            options.info = true;
        } else if (name == "-q" || name == "--quiet") {
            options.quiet = true;
        } else if (name == "-h" || name == "--help") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else {
            return UsageError{"unknown option " + name};
        }
    }
    if (!options.help && !options.version && options.sources.empty()) {
        return UsageError{"no recording given"};
    }
    return options;
}

std::string usageText() {
    return "Usage: kinorex-convert [OPTIONS] SOURCE...\n"
           "Converts recorder files (.h264) into one AVI file per channel.\n"
           "\n"
           "  -o, --output DIR     write the AVI files into DIR (default: each source's folder)\n"
           "  -c, --channels LIST  channels to convert, numbers 1..16 such as 1,3,5-8\n"
           "                       (default: all)\n"
           "      --info           show what each recording holds; write nothing\n"
           "  -q, --quiet          print nothing but errors\n"
           "  -h, --help           show this help\n"
           "      --version        show the version\n"
           "\n"
           "Exit status: 0 all converted, 1 a source failed, 2 usage or output folder error,\n"
           "3 converted, but a recording was damaged (a retry gives nothing more),\n"
           "130 interrupted (files written so far are complete).\n";
}

}  // namespace kinorex::cli
