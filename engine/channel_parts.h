#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channel_output.h"
#include "channel_scan.h"
#include "conversion_report.h"
#include "part_limits.h"

namespace kinorex {

// One channel's output over as many files as its size needs: "<prefix>_<n>.avi", then
// "<prefix>_<n>_part2.avi" and so on, each a complete AVI with the same streams; an MP4 or
// Matroska file ("<prefix>_<n>.mp4", ".mkv") has no size limit and is never split. Every
// create, write and completion goes into the channel's report; a failed write is counted
// and the walk goes on.
//
// The files are written aside (aside_files.h) and replace the channel's earlier files as a
// set when closed: all of them when the conversion went through, none of them when it was
// cut short and earlier files exist. A file without a frame is never put in place.
class ChannelParts {
public:
    explicit ChannelParts(const PartLimits& limits = {});

    // Forgets the last conversion's report; the channel takes no frames until open.
    void reset();
    // Creates the first part with the channel's streams, after removing what dead runs left
    // aside for the channel's names. recordingBytes: the size of the recording, which
    // decides whether an MP4 file is fragmented.
    void open(const std::string& prefix, int channelNumber, const ChannelInfo& info,
              OutputFormat format = OutputFormat::Avi, std::uint64_t recordingBytes = 0);
    void writeVideo(const std::uint8_t* frame, std::int32_t size, bool keyFrame);
    void writeAudio(const std::int16_t* pcm, std::int32_t size);
    // Completes the current part and puts the files in place; `wholeRecording` tells
    // whether they hold the whole recording or the conversion was stopped early.
    void close(bool wholeRecording);

    const ChannelReport& report() const { return report_; }

private:
    void openPart();
    void closePart();
    void place(bool wholeRecording);
    void noteFailure(OutputFileReport& file, int error);
    OutputFileReport& current() { return report_.files.back(); }
    bool shouldStartPartAtKeyFrame() const;
    // Writes through attempt, opening the next part when the current one is full.
    template <typename Attempt>
    void write(bool voice, Attempt attempt);
    // Counts one chunk of the current file as written or lost.
    void count(bool written, bool voice);

    ChannelOutput output_;
    PartLimits limits_;
    std::string prefix_;
    int channelNumber_ = 0;
    ChannelInfo info_{};
    OutputFormat format_ = OutputFormat::Avi;
    bool active_ = false;
    // A file could not be made, written or completed: the new set is not whole.
    bool failed_ = false;
    ChannelReport report_;
    // Where each file of report_ is written until it is placed.
    std::vector<std::string> asidePaths_;
};

}  // namespace kinorex
