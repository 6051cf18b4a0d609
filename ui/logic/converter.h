#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel_table.h"
#include "output_format.h"

namespace kinorex {

// What the bounded pre-scan found in one recording: which channels carry video and voice,
// their picture sizes and rates, and whether it saw the recording to its end.
struct RecordingContents {
    ChannelTable channels{};
    bool scannedWhole = false;
};

// What the main dialog needs of a conversion: the four operations of PS2AVI.
// The dialog drives it through this interface so that its logic can be
// exercised without a real recording and worker thread.
class Converter {
public:
    virtual ~Converter() = default;

    // The format of the files the next Start writes.
    virtual void setOutputFormat(OutputFormat /*format*/) {}
    // 1 when the conversion runs on its worker thread, 0 when nothing runs.
    virtual int Start(const char* sourcePath, std::uint32_t channelMask,
                      const char* outputPrefix) = 0;
    // Afterwards nothing runs and every output file is complete; safe to call
    // at any time, also when nothing runs.
    virtual void Stop() = 0;
    // Percentage of the recording read so far; not guaranteed to lie in 0..100.
    virtual int GetProgress() = 0;
    // Nonzero once the worker has ended.
    virtual int IsFinished() = 0;
    // After Stop: one line per file that lost anything (which file, why, how much);
    // empty when everything was written in full.
    virtual std::vector<std::string> describeLosses() const { return {}; }
    // The pre-scan of every channel, writing nothing; nothing when the file is not a
    // readable recording. Called only while no conversion runs, and then from a thread of
    // its own, so that a slow disk does not freeze the window.
    virtual std::optional<RecordingContents> inspect(const std::string& sourcePath) = 0;
    // After Stop: one line per damaged stretch or fault of the recording; empty when it
    // was whole.
    virtual std::vector<std::string> describeDamage() const { return {}; }
};

}  // namespace kinorex
