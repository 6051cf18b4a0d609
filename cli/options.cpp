#include "options.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>

namespace kinorex::cli {

namespace {

// Why a text is no channel number, or nothing when it is one.
std::optional<std::string> channelNumberProblem(std::string_view text, int& value) {
    if (text.empty()) {
        return "a channel number is missing";
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() ||
        (error != std::errc{} && error != std::errc::result_out_of_range)) {
        return "'" + std::string(text) + "' is not a channel number";
    }
    if (error != std::errc{} || value < 1 || value > kChannelCount) {
        return "there is no channel " + std::string(text) + "; channels run from 1 to 16";
    }
    return std::nullopt;
}

std::optional<std::string> applyOutput(Options& options, const std::string& folder) {
    if (folder.empty()) {
        return "option --output needs a folder";
    }
    options.outputFolder = folder;
    return std::nullopt;
}

std::optional<std::string> applyChannels(Options& options, const std::string& list) {
    std::string problem;
    const auto mask = parseChannelList(list, &problem);
    if (!mask) {
        return "invalid channel list '" + list + "': " + problem;
    }
    options.channelMask = *mask;
    options.channelsNamed = true;
    return std::nullopt;
}

std::optional<std::string> applyFormat(Options& options, const std::string& name) {
    const auto format = parseOutputFormat(name);
    if (!format) {
        return "option --format needs a format: avi, mp4 or mkv";
    }
    options.format = *format;
    return std::nullopt;
}

// Each option in one row: its names, its value, its line of --help and what it sets. A
// row's letter also makes it a short option; long-only options are told apart by number.
struct OptionSpec {
    const char* longName;
    char shortName;         // 0: long only
    const char* valueName;  // nullptr: takes no value
    const char* help;       // a second line, where needed, after '\n'
    // What it sets: a switch, or through a function that takes the value and may refuse it.
    bool Options::*flag;
    std::optional<std::string> (*apply)(Options&, const std::string& value);
};

const std::array kOptionTable = {
    OptionSpec{"output", 'o', "DIR", "write the files into DIR (default: each source's folder)",
               nullptr, applyOutput},
    OptionSpec{"channels", 'c', "LIST",
               "channels to convert, numbers 1..16 such as 1,3,5-8\n(default: all)", nullptr,
               applyChannels},
    OptionSpec{"format", 'f', "FORMAT",
               "avi (default), mp4 (AAC voice, plays in browsers\nand phones) "
               "or mkv (PCM voice)",
               nullptr, applyFormat},
    OptionSpec{"info", 0, nullptr, "show what each recording holds; write nothing", &Options::info,
               nullptr},
    OptionSpec{"quiet", 'q', nullptr, "print nothing but errors", &Options::quiet, nullptr},
    OptionSpec{"help", 'h', nullptr, "show this help", &Options::help, nullptr},
    OptionSpec{"version", 0, nullptr, "show the version", &Options::version, nullptr},
};

constexpr int kFirstLongOnlyCode = 256;

int codeOf(std::size_t row) {
    const auto& spec = kOptionTable[row];
    return spec.shortName != 0 ? spec.shortName : kFirstLongOnlyCode + static_cast<int>(row);
}

const OptionSpec* specWithCode(int code) {
    for (std::size_t row = 0; row < kOptionTable.size(); ++row) {
        if (codeOf(row) == code) {
            return &kOptionTable[row];
        }
    }
    return nullptr;
}

// What getopt_long refused, worded for the user. `argument` is the word it stopped at.
std::string refusal(int optionCode, std::string_view argument) {
    const OptionSpec* spec = specWithCode(optionCode);
    const bool isLong = argument.starts_with("--");
    const std::string name = spec == nullptr ? std::string(argument.substr(0, argument.find('=')))
                                             : (isLong ? "--" + std::string(spec->longName)
                                                       : "-" + std::string(1, spec->shortName));
    // Told by the option rather than by the result, which differs between getopt_long's
    // of glibc and MinGW for "--quiet=yes".
    if (spec != nullptr && spec->valueName != nullptr) {
        return "option " + name + " needs a value (" + spec->valueName + ")";
    }
    if (spec != nullptr && isLong) {
        return "option " + name + " takes no value";
    }
    if (optionCode > 0 && optionCode < kFirstLongOnlyCode) {
        return "unknown option -" + std::string(1, static_cast<char>(optionCode));
    }
    return "unknown option " + name;
}

}  // namespace

std::optional<std::uint32_t> parseChannelList(std::string_view list, std::string* problem) {
    auto refuse = [&](std::string why) -> std::optional<std::uint32_t> {
        if (problem) {
            *problem = std::move(why);
        }
        return std::nullopt;
    };
    if (list.empty()) {
        return refuse("the list is empty");
    }
    std::uint32_t mask = 0;
    while (true) {
        const auto comma = list.find(',');
        const auto item = list.substr(0, comma);
        const auto dash = item.find('-');
        int first = 0;
        int last = 0;
        if (auto why = channelNumberProblem(item.substr(0, dash), first)) {
            return refuse(*why);
        }
        if (dash == std::string_view::npos) {
            last = first;
        } else if (auto why = channelNumberProblem(item.substr(dash + 1), last)) {
            return refuse(*why);
        }
        if (first > last) {
            return refuse("the range runs backwards");
        }
        for (int n = first; n <= last; ++n) {
            mask |= 1u << (n - 1);
        }
        if (comma == std::string_view::npos) {
            return mask;
        }
        list.remove_prefix(comma + 1);
    }
}

std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& args) {
    // ':' first: a missing value is told apart from an unknown option; nothing is printed.
    std::string shortOptions = ":";
    std::vector<option> longOptions;
    for (std::size_t row = 0; row < kOptionTable.size(); ++row) {
        const auto& spec = kOptionTable[row];
        const int hasValue = spec.valueName != nullptr ? required_argument : no_argument;
        if (spec.shortName != 0) {
            shortOptions += spec.shortName;
            if (hasValue) {
                shortOptions += ':';
            }
        }
        longOptions.push_back({spec.longName, hasValue, nullptr, codeOf(row)});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    // getopt_long may reorder the words, so it works on copies.
    std::vector<std::string> words{"kinorex-convert"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    Options options;
    optind = 0;  // starts getopt afresh, also on a second parse
    opterr = 0;
    while (true) {
        const int code =
            getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (code == -1) {
            break;
        }
        const OptionSpec* spec = specWithCode(code);
        if (code == '?' || code == ':' || spec == nullptr) {
            const std::string_view argument = argv[std::min(optind, argc) - 1];
            return UsageError{refusal(code == '?' || code == ':' ? optopt : code, argument)};
        }
        if (spec->flag != nullptr) {
            options.*(spec->flag) = true;
        } else if (auto error = spec->apply(options, optarg != nullptr ? optarg : "")) {
            return UsageError{*error};
        }
    }
    for (int i = optind; i < argc; ++i) {
        options.sources.emplace_back(argv[i]);
    }
    if (!options.help && !options.version && options.sources.empty()) {
        return UsageError{"no recording given"};
    }
    return options;
}

std::string usageText() {
    constexpr std::size_t kHelpColumn = 23;
    std::string text =
        "Usage: kinorex-convert [OPTIONS] SOURCE...\n"
        "Converts recorder files (.h264) into one video file per channel.\n"
        "\n";
    for (const auto& spec : kOptionTable) {
        std::string names = spec.shortName != 0 ? std::string("  -") + spec.shortName + ", "
                                                : std::string("      ");
        names += std::string("--") + spec.longName;
        if (spec.valueName != nullptr) {
            names += std::string(" ") + spec.valueName;
        }
        names.resize(std::max(names.size() + 1, kHelpColumn), ' ');
        std::string_view help = spec.help;
        const auto newline = help.find('\n');
        text += names + std::string(help.substr(0, newline)) + '\n';
        if (newline != std::string_view::npos) {
            text += std::string(kHelpColumn, ' ') + std::string(help.substr(newline + 1)) + '\n';
        }
    }
    text +=
        "\n"
        "Short options bundle and take attached values (-qc1); long ones also --output=DIR.\n"
        "Each file is written under a hidden name and put in place when complete; a run\n"
        "that is cut short keeps the earlier files of its names.\n"
        "\n"
        "Exit status: 0 all converted, 1 a source failed or lost frames, 2 usage error,\n"
        "output folder error or two sources writing the same files, 3 converted, but a\n"
        "recording was damaged (a retry gives nothing more), 129 hung up (SIGHUP),\n"
        "130 interrupted (Ctrl-C), 143 terminated (SIGTERM); after a signal the files\n"
        "written so far are complete.\n";
    return text;
}

}  // namespace kinorex::cli
