#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kinorex {

// A message's list: the heading, then each line under it.
std::string headedList(const char* heading, const std::vector<std::string>& lines);

// One Start's worth of work: the recordings converted one after another with one channel
// mask into one folder, and what went wrong on the way, for the warning after the last.
class ConversionRun {
public:
    // `chosen` counts every recording the user chose, those that could not be read and
    // were left out before the run among them.
    ConversionRun(std::vector<std::string> recordings, std::uint32_t channelMask,
                  std::string outputFolder, std::size_t chosen);

    // The recording to convert now; nullptr after the last.
    const std::string* current() const;
    void advance() { ++index_; }

    std::uint32_t channelMask() const { return channelMask_; }
    const std::string& outputFolder() const { return outputFolder_; }
    bool single() const { return chosen_ == 1; }
    bool anyConverted() const { return converted_ > 0; }

    // "Recording 2 of 12: cam2.h264" while several are converted; empty for one.
    std::string statusLine() const;

    void noteConverted() { ++converted_; }
    // A recording left out or refused by the converter.
    void noteFailed(const std::string& recording) { failed_.push_back(recording); }
    // Lines about one recording's files from the conversion report.
    void noteLosses(const std::vector<std::string>& lines);
    // Lines about one recording's damage, such as "rec.h264: damaged at byte 69,391: ...".
    void noteDamage(const std::vector<std::string>& lines);

    // The warning after the run; empty when nothing went wrong. A single recording that
    // failed has its own message, so it is not listed again.
    std::string warningText() const;

private:
    std::vector<std::string> recordings_;
    std::uint32_t channelMask_;
    std::string outputFolder_;
    std::size_t chosen_;
    std::size_t index_ = 0;
    std::size_t converted_ = 0;
    std::vector<std::string> losses_;
    std::vector<std::string> damage_;
    std::vector<std::string> failed_;
};

}  // namespace kinorex
