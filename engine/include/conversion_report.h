#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "channel_table.h"

namespace kinorex {

// What became of one AVI file of a conversion. A chunk is one video frame or one block of
// decoded voice.
struct OutputFileReport {
    std::string path;
    bool created = false;    // the file was made on disk (under a hidden name until placed)
    bool completed = false;  // headers and index are in place: players open it
    bool placed = false;     // it is on disk under its own name
    std::uint64_t chunksWritten = 0;
    std::uint64_t chunksLost = 0;
    // Of those, the blocks of decoded voice; the rest are video frames.
    std::uint64_t voiceChunksWritten = 0;
    std::uint64_t voiceChunksLost = 0;
    std::string firstError;  // errno text or reason; empty while nothing went wrong

    bool hasLosses() const { return !completed || chunksLost > 0 || !firstError.empty(); }
};

// One channel's files in order: the first, then "_part2", "_part3", ...
struct ChannelReport {
    std::vector<OutputFileReport> files;
    // The conversion was cut short (stopped, or a file could not be written) where the
    // channel's files existed already: those were kept as they were and the new ones
    // removed.
    bool earlierKept = false;

    bool hasLosses() const;
};

// Filled by the conversion's worker; front ends read it once the conversion has stopped.
struct ConversionReport {
    std::array<ChannelReport, kChannelCount> channels;

    bool hasLosses() const;
};

// One line per file that lost anything, e.g. "rec_4.avi: No space left on device; 812 of
// 1000 video frames and 800 of 1000 voice frames not written", and one per
// channel whose earlier files were kept, e.g.
// "out/rec_2.avi: No space left on device; the earlier rec_2.avi was kept".
std::vector<std::string> describeLosses(const ConversionReport& report);

}  // namespace kinorex
