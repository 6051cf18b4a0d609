#include "conversion_run.h"

#include "output_naming.h"
#include "recording_list.h"

namespace kinorex {

std::string headedList(const char* heading, const std::vector<std::string>& lines) {
    std::string text = heading;
    for (const auto& line : lines) {
        text += '\n' + line;
    }
    return text;
}

namespace {

void addSection(std::string& text, const char* heading, const std::vector<std::string>& lines) {
    if (!lines.empty()) {
        text += (text.empty() ? "" : "\n\n") + headedList(heading, lines);
    }
}

}  // namespace

ConversionRun::ConversionRun(std::vector<std::string> recordings, std::uint32_t channelMask,
                             std::string outputFolder, std::size_t chosen)
    : recordings_(std::move(recordings)),
      channelMask_(channelMask),
      outputFolder_(std::move(outputFolder)),
      chosen_(chosen) {}

const std::string* ConversionRun::current() const {
    return index_ < recordings_.size() ? &recordings_[index_] : nullptr;
}

std::string ConversionRun::statusLine() const {
    if (single() || index_ >= recordings_.size()) {
        return {};
    }
    return "Recording " + std::to_string(index_ + 1) + " of " + std::to_string(recordings_.size()) +
           ": " + std::string(fileNameOf(recordings_[index_]));
}

void ConversionRun::noteLosses(const std::vector<std::string>& lines) {
    losses_.insert(losses_.end(), lines.begin(), lines.end());
}

void ConversionRun::noteDamage(const std::vector<std::string>& lines) {
    damage_.insert(damage_.end(), lines.begin(), lines.end());
}

std::string ConversionRun::warningText() const {
    std::string text;
    // Damage first: it explains frames missing from files that were otherwise written.
    addSection(text,
               single() ? "The recording was damaged; everything else was converted:"
                        : "Some recordings were damaged; everything else was converted:",
               damage_);
    addSection(text, "Not everything could be written:", losses_);
    if (!single()) {
        addSection(text, "These recordings could not be converted:", failed_);
    }
    return text;
}

}  // namespace kinorex
