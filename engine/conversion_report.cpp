#include "conversion_report.h"

#include <algorithm>
#include <cstddef>

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
    return first.path + ": " + reason + "; the earlier " + std::string(fileNameOf(first.path)) +
           " was kept";
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

namespace kinorex {

namespace {

// "69391" as "69,391": byte offsets of large files are read more easily in groups.
std::string groupDigits(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    }
    return digits;
}

std::string bytesText(std::uint64_t count) {
    return groupDigits(count) + (count == 1 ? " byte" : " bytes");
}

}  // namespace

void SourceDamage::addRange(std::uint64_t start, std::uint64_t resumed) {
    ++rangeCount;
    bytesSkipped += resumed - start;
    if (ranges.size() < kKeptRanges) {
        ranges.push_back({start, resumed - start, resumed});
    }
}

bool SourceDamage::damaged() const {
    return rangeCount > 0 || indexMissing || shorterThanHeader || end == WalkEnd::CutShort ||
           failed();
}

std::vector<std::string> describeDamage(const SourceDamage& damage, const std::string& sourceName) {
    std::vector<std::string> lines;
    const std::string prefix = sourceName + ": ";
    if (damage.shorterThanHeader) {
        lines.push_back(prefix +
                        "the recording is shorter than its header says (still being copied?)");
    } else if (damage.indexMissing) {
        lines.push_back(
            prefix +
            "the index is missing (the recording was not closed); converted from its frames");
    }
    const std::size_t described = std::min<std::size_t>(damage.ranges.size(), kDescribedRanges);
    for (std::size_t i = 0; i < described; ++i) {
        lines.push_back(prefix + "damaged at byte " + groupDigits(damage.ranges[i].start) + ": " +
                        bytesText(damage.ranges[i].skipped) + " skipped");
    }
    if (damage.rangeCount > described) {
        std::uint64_t shown = 0;
        for (std::size_t i = 0; i < described; ++i) {
            shown += damage.ranges[i].skipped;
        }
        const std::uint64_t more = damage.rangeCount - described;
        lines.push_back(prefix + "... and " + groupDigits(more) + " more damaged range" +
                        (more == 1 ? "" : "s") + " (" + bytesText(damage.bytesSkipped - shown) +
                        " in all)");
    }
    switch (damage.end) {
        case WalkEnd::CutShort:
            lines.push_back(prefix + "ends inside a record at byte " +
                            groupDigits(damage.cutShortAt) + " (the recording was cut short)");
            break;
        case WalkEnd::ReadError:
            lines.push_back(prefix + "could not be read on from byte " +
                            groupDigits(damage.endedAt) +
                            "; the rest of the recording was not converted");
            break;
        case WalkEnd::Failed:
            lines.push_back(prefix + "the conversion failed at byte " +
                            groupDigits(damage.endedAt) + ": " + damage.failure);
            break;
        case WalkEnd::EndOfFile:
        case WalkEnd::Stopped:
            break;
    }
    return lines;
}

}  // namespace kinorex
