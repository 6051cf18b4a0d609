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

// Why the walk through a recording's frame records ended.
enum class WalkEnd {
    EndOfFile,  // every byte of the recording was walked
    CutShort,   // the recording ends inside a record
    ReadError,  // the file could not be read on
    Stopped,    // the user stopped the conversion
    Failed,     // the conversion itself failed (memory ran out, say)
};

// Bytes of a recording that held no genuine record: the walk lost step at `start`, skipped
// `skipped` bytes and took up the records again at `resumed` (the end of the file when none
// followed).
struct DamagedRange {
    std::uint64_t start = 0;
    std::uint64_t skipped = 0;
    std::uint64_t resumed = 0;
};

// What was wrong with the recording itself, as the walk met it.
struct SourceDamage {
    // Only the first ranges are kept one by one; a recording damaged all over must not cost
    // memory in proportion to its size. The totals count every range.
    static constexpr std::size_t kKeptRanges = 1000;

    std::vector<DamagedRange> ranges;
    std::uint64_t rangeCount = 0;
    std::uint64_t bytesSkipped = 0;
    // The file header names no usable index: the recorder did not close the recording.
    bool indexMissing = false;
    // The header's index ends past the end of the file: the file is shorter than the
    // recorder wrote it, as when it is still being copied.
    bool shorterThanHeader = false;
    // Where the record that the recording ends inside begins; only for WalkEnd::CutShort.
    std::uint64_t cutShortAt = 0;
    WalkEnd end = WalkEnd::EndOfFile;
    // Where the walk stood when a read error or failure ended it, and why.
    std::uint64_t endedAt = 0;
    std::string failure;

    void addRange(std::uint64_t start, std::uint64_t resumed);
    // Some frames of the recording could not be converted, or nothing says it is whole.
    bool damaged() const;
    // The walk ended before the end of the recording for a reason other than Stop.
    bool failed() const { return end == WalkEnd::ReadError || end == WalkEnd::Failed; }
};

// Filled by the conversion's worker; front ends read it once the conversion has stopped.
struct ConversionReport {
    std::array<ChannelReport, kChannelCount> channels;
    SourceDamage source;

    bool hasLosses() const;
};

// One line per file that lost anything, e.g. "rec_4.avi: No space left on device; 812 of
// 1000 video frames and 800 of 1000 voice frames not written", and one per
// channel whose earlier files were kept, e.g.
// "out/rec_2.avi: No space left on device; the earlier rec_2.avi was kept".
std::vector<std::string> describeLosses(const ConversionReport& report);

// One line per damaged range and per fault of the recording, each beginning with
// `sourceName`, e.g. "rec.h264: damaged at byte 69,391: 190 bytes skipped". After
// kDescribedRanges ranges one line sums up the rest.
inline constexpr std::size_t kDescribedRanges = 10;
std::vector<std::string> describeDamage(const SourceDamage& damage, const std::string& sourceName);

}  // namespace kinorex
