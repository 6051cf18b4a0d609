#include "conversion_report.h"

namespace kinorex {

bool ConversionReport::hasLosses() const {
    for (const auto& channel : channels) {
        for (const auto& file : channel.files) {
            if (file.hasLosses()) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::string> describeLosses(const ConversionReport& report) {
    std::vector<std::string> lines;
    for (const auto& channel : report.channels) {
        for (const auto& file : channel.files) {
            if (!file.hasLosses()) {
                continue;
            }
            // Every loss notes its error, so the text is never empty here.
            std::string line = file.path + ": " + file.firstError;
            if (file.chunksLost > 0) {
                line += "; " + std::to_string(file.chunksLost) + " of " +
                        std::to_string(file.chunksLost + file.chunksWritten) +
                        " frames not written";
            } else if (!file.completed) {
                line += "; the file is not complete";
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace kinorex
