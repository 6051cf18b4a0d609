#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "channel_table.h"
#include "conversion_report.h"
#include "output_format.h"
#include "part_limits.h"

namespace kinorex {

class BatchFeed;
struct RecordBatch;

// Converts one recording into one file per selected channel that carries video: AVI unless
// setOutputFormat chose another format. Start runs on the caller's thread (open, pre-scan, create
// the files); the frame walk runs on a worker thread until the end of the recording or Stop, and
// completes the files it wrote. The caller polls GetProgress and IsFinished and calls Stop
// at the end; then report() tells what was written and what was lost.
class PS2AVI {
public:
    PS2AVI();
    // Tests give small part limits so that a channel splits without gigabytes of data.
    explicit PS2AVI(const PartLimits& limits);
    virtual ~PS2AVI();

    PS2AVI(const PS2AVI&) = delete;
    PS2AVI& operator=(const PS2AVI&) = delete;

    // 1 when the worker runs, 0 when the recording cannot be opened or the worker
    // cannot be started. Only the low 16 bits of the mask count (bit i: channel number i + 1). A
    // conversion still running or not yet stopped is stopped first.
    int Start(const char* sourcePath, std::uint32_t channelMask, const char* outputPrefix);

    // The format of the files the next Start writes; AVI until changed. A format this
    // build cannot write (formatAvailable) leaves every file uncreated, each with its reason.
    void setOutputFormat(OutputFormat format) { format_ = format; }

    // Percentage of the recording read so far; may pass 100 if the file grows.
    int GetProgress();
    // Nonzero once the worker has left its loop and completed the files, until the next
    // Start.
    int IsFinished();
    // Stops and joins the worker, completes every AVI file and closes the
    // recording. Safe at any time, also repeatedly.
    void Stop();

    // What Start would find in a recording for the given mask, without writing
    // anything: the channel table as the file header gives it and as the
    // pre-scan leaves it. False, touching nothing, from Start until Stop. `scannedWhole`,
    // when given, tells whether the pre-scan read every record rather than stopping at its
    // bound.
    bool inspect(const char* sourcePath, std::uint32_t channelMask, ChannelTable& fromHeader,
                 ChannelTable& scanned, bool* scannedWhole = nullptr);

    // Whether the last Start created (or tried to create) the channel's AVI
    // file; index i is channel number i + 1.
    bool channelOpened(int index) const { return open_[index] != 0; }

    // The files of the last conversion, what each holds and what was lost, and the damage
    // the walk met in the recording (after inspect: what the pre-scan met). Only after Stop:
    // the worker fills it while it runs.
    ConversionReport report() const;

protected:
    // Seams for tests that need the worker thread or the worker's PCM buffer to be
    // unavailable; a subclass that overrides them calls Stop in its own destructor.
    virtual std::thread launchWorker();
    virtual std::unique_ptr<std::int16_t[]> allocatePcmBuffer();

private:
    bool prepare(const char* sourcePath, std::uint32_t channelMask, ChannelTable* fromHeader,
                 bool* scannedWhole = nullptr);
    void createOutputs(std::uint32_t channelMask, const char* outputPrefix,
                       std::uint64_t recordingBytes);
    void routeAudio();
    void dealOutLanes();

    // The reader and the outputs, kept out of this header.
    struct Files;
    struct Lane;

    void run();
    std::shared_ptr<const RecordBatch> nextBatch() noexcept;
    // A lane's work, on its own thread or the worker's: takes the walk's batches until the
    // walk ends or the lane stops.
    void serveLane(Lane& lane, BatchFeed& feed, std::size_t index);
    void startLane(Lane& lane);
    // Hands the lane a batch; false once the lane has failed and wants no more.
    bool writeBatch(Lane& lane, const RecordBatch& batch);
    // Completes the lane's files; `drained`: the lane took every batch the walk handed out.
    void finishLane(Lane& lane, bool drained);

    std::thread worker_;
    std::unique_ptr<Files> files_;
    ChannelTable channels_{};
    std::array<std::int32_t, kChannelCount> open_{};
    // Bit j of entry k: output j takes the voice frames of channel index k.
    std::array<std::uint16_t, kChannelCount> audioTargets_{};
    // Bit j of lane l: output j is written by lane l. Set by Start before the worker runs.
    std::array<std::uint16_t, 2> lanes_{};
    std::atomic<std::int32_t> stopRequest_{0};
    std::int32_t selectedCount_ = 0;
    OutputFormat format_ = OutputFormat::Avi;
    std::atomic<std::int32_t> finished_{0};
};

}  // namespace kinorex
