#include <cstdio>
#include <iostream>

#include "commands.h"
#include "file_checks.h"
#include "interrupt.h"
#include "output_naming.h"
#include "ps2avi.h"

namespace kinorex::cli {

namespace {

const char* yesNo(std::int32_t flag) {
    return flag ? "yes" : "no";
}

void printChannels(const Options& options, const std::string& source, const ChannelTable& header,
                   const ChannelTable& scanned) {
    const auto prefix = outputPrefix(source, outputFolderFor(options, source));
    std::cout << source << '\n'
              << "  Channel  Picture    Header fps  Video  Audio  Converted fps  Output\n";
    for (int i = 0; i < kChannelCount; ++i) {
        const bool selected = (options.channelMask >> i) & 1u;
        const bool converted = selected && scanned[i].hasVideo;
        const auto name = channelFileName(prefix, i + 1, formatName(options.format));
        char row[160];
        std::snprintf(row, sizeof row, "  %7d  %4dx%-4d  %10d  %5s  %5s  %13s  ", i + 1,
                      header[i].width, header[i].height, header[i].frameRate,
                      yesNo(scanned[i].hasVideo), yesNo(scanned[i].hasAudio),
                      converted ? std::to_string(scanned[i].frameRate).c_str() : "-");
        std::cout << row << (converted && name ? *name : std::string("-")) << '\n';
    }
}

}  // namespace

int runInfo(const Options& options) {
    // A clash is shown as the conversion would show it, and the sources still are.
    const auto toConvert = sourcesToConvert(options);
    installInterruptHandlers();
    PS2AVI converter;
    int status = 0;
    for (std::size_t i = 0; i < options.sources.size() && !interruptRequested(); ++i) {
        const auto& source = options.sources[i];
        if (toConvert && !(*toConvert)[i]) {
            continue;
        }
        if (const auto reason = unreadableSourceReason(source)) {
            std::cerr << "kinorex-convert: " << source << ": " << *reason << '\n';
            status = 1;
            continue;
        }
        ChannelTable header{};
        ChannelTable scanned{};
        if (!converter.inspect(source.c_str(), options.channelMask, header, scanned)) {
            std::cerr << "kinorex-convert: " << source << ": not a recording\n";
            status = 1;
            continue;
        }
        printChannels(options, source, header, scanned);
        // What the pre-scan met on its way through the recording.
        for (const auto& line : describeDamage(converter.report().source, source)) {
            std::cout << "  " << line << '\n';
        }
    }
    if (interruptRequested()) {
        return interruptExitStatus();
    }
    return toConvert ? status : 2;
}

}  // namespace kinorex::cli
