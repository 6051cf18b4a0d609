#include "conversion_report.h"

#include <algorithm>

#include "output_naming.h"

namespace kinorex {

namespace {

// "812 of 1000 video frames and 800 of 1000 voice frames", naming only the kinds that lost.
std::string lostFrames(const OutputFileReport& file) {
    const std::uint64_t videoLost = file.chunksLost - file.voiceChunksLost;
    const std::uint64_t videoWritten = file.chunksWritten - file.voiceChunksWritten;
    std::string text;
    auto add = [&text](std::uint64_t lost, std::uint64_t written, const char* kind) {
        if (lost > 0) {
            text += (text.empty() ? "" : " and ") + std::to_string(lost) + " of " +
                    std::to_string(lost + written) + " " + kind + " frames";
        }
    };
    add(videoLost, videoWritten, "video");
    add(file.voiceChunksLost, file.voiceChunksWritten, "voice");
    return text;
}

std::string keptEarlierLine(const ChannelReport& channel) {
    const auto& first = channel.files.front();
    const auto failed = std::find_if(channel.files.begin(), channel.files.end(),
                                     [](const auto& file) { return !file.firstError.empty(); });
    const auto reason = failed == channel.files.end() ? "interrupted" : failed->firstError;
    const auto separator = first.path.find_last_of(kNativePaths.separators);
    const auto name =
        separator == std::string::npos ? first.path : first.path.substr(separator + 1);
    return first.path + ": " + reason + "; the earlier " + name + " was kept";
}

}  // namespace

bool ChannelReport::hasLosses() const {
    return earlierKept || std::any_of(files.begin(), files.end(),
                                      [](const auto& file) { return file.hasLosses(); });
}

bool ConversionReport::hasLosses() const {
    return std::any_of(channels.begin(), channels.end(),
                       [](const auto& channel) { return channel.hasLosses(); });
}

std::vector<std::string> describeLosses(const ConversionReport& report) {
    std::vector<std::string> lines;
    for (const auto& channel : report.channels) {
        if (channel.earlierKept) {
            lines.push_back(keptEarlierLine(channel));
            continue;
        }
        for (const auto& file : channel.files) {
            if (!file.hasLosses()) {
                continue;
            }
            // Every loss notes its error, so the text is never empty here.
            std::string line = file.path + ": " + file.firstError;
            if (file.chunksLost > 0) {
                line += "; " + lostFrames(file) + " not written";
            } else if (!file.completed) {
                line += "; the file is not complete";
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace kinorex
