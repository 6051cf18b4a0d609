#include "ps2avi.h"

#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <utility>

#include "batch_feed.h"
#include "channel_parts.h"
#include "channel_scan.h"
#include "lane_writer.h"
#include "recording/recording_reader.h"

namespace kinorex {

namespace {

bool isSelected(std::uint32_t channelMask, int index) {
    return (channelMask >> index) & 1u;
}

template <std::size_t... Index>
std::array<ChannelParts, sizeof...(Index)> makeOutputs(const PartLimits& limits,
                                                       std::index_sequence<Index...>) {
    return {{((void)Index, ChannelParts(limits))...}};
}

}  // namespace

PS2AVI::PS2AVI() : PS2AVI(PartLimits{}) {}

struct PS2AVI::Files {
    explicit Files(const PartLimits& limits)
        : outputs(makeOutputs(limits, std::make_index_sequence<kChannelCount>{})) {}

    RecordingReader reader;
    std::array<ChannelParts, kChannelCount> outputs;
    // What the walk met and how the conversion ended. The lane that ends the walk writes it
    // before the feed says the walk has ended; a lane's own failure goes in once the lanes
    // are done.
    SourceDamage damage;
};

// One lane's share of a conversion, on whichever thread serves it.
struct PS2AVI::Lane {
    std::uint16_t outputs = 0;
    std::unique_ptr<std::int16_t[]> pcm;
    std::optional<LaneWriter> writer;
    // How the lane failed on its own (out of memory, say): it takes nothing from there on.
    std::optional<SourceDamage> failure;

    void fail(const std::exception& error, std::uint64_t at) {
        failure.emplace();
        failure->end = WalkEnd::Failed;
        failure->endedAt = at;
        failure->failure = error.what();
    }
};

PS2AVI::PS2AVI(const PartLimits& limits) : files_(std::make_unique<Files>(limits)) {}

PS2AVI::~PS2AVI() {
    Stop();
}

bool PS2AVI::prepare(const char* sourcePath, std::uint32_t channelMask, ChannelTable* fromHeader,
                     bool* scannedWhole) {
    open_.fill(0);
    channels_ = ChannelTable{};
    selectedCount_ = 0;
    finished_ = 0;

    std::array<std::uint8_t, kFileHeaderSize> header{};
    if (!files_->reader.Open(sourcePath, header.data())) {
        return false;
    }
    selectedCount_ = selectedChannelCount(channelMask);
    readChannelHeaders(files_->reader, channels_);
    if (fromHeader) {
        *fromHeader = channels_;
    }
    const bool whole = preScan(files_->reader, selectedCount_, channels_);
    if (scannedWhole) {
        *scannedWhole = whole;
    }
    files_->damage = files_->reader.damage();
    return true;
}

bool PS2AVI::inspect(const char* sourcePath, std::uint32_t channelMask, ChannelTable& fromHeader,
                     ChannelTable& scanned, bool* scannedWhole) {
    // The reader and the channel table belong to the conversion until Stop.
    if (worker_.joinable()) {
        return false;
    }
    const bool ok = prepare(sourcePath, channelMask, &fromHeader, scannedWhole);
    files_->reader.Close();
    scanned = channels_;
    return ok;
}

void PS2AVI::createOutputs(std::uint32_t channelMask, const char* outputPrefix,
                           std::uint64_t recordingBytes) {
    for (int i = 0; i < kChannelCount; ++i) {
        files_->outputs[i].reset();
        if (!isSelected(channelMask, i) || !channels_[i].hasVideo) {
            continue;
        }
        // A file that cannot be created goes into the report; the other channels go on.
        files_->outputs[i].open(outputPrefix, i + 1, channels_[i], format_, recordingBytes);
        open_[i] = 1;
    }
    routeAudio();
}

// A video frame's audio channel number names the channel whose voice belongs to it; in
// most recordings that is the channel itself.
void PS2AVI::routeAudio() {
    audioTargets_.fill(0);
    for (int j = 0; j < kChannelCount; ++j) {
        const int source = channels_[j].audioChannel - 1;
        if (open_[j] && channels_[j].hasAudio && source >= 0 && source < kChannelCount) {
            audioTargets_[source] |= static_cast<std::uint16_t>(1u << j);
        }
    }
}

std::thread PS2AVI::launchWorker() {
    return std::thread(&PS2AVI::run, this);
}

std::unique_ptr<std::int16_t[]> PS2AVI::allocatePcmBuffer() {
    return std::unique_ptr<std::int16_t[]>(new (std::nothrow)
                                               std::int16_t[LaneWriter::kPcmSamples]);
}

int PS2AVI::Start(const char* sourcePath, std::uint32_t channelMask, const char* outputPrefix) {
    // Replacing a worker that was never joined would end the program.
    Stop();
    if (!prepare(sourcePath, channelMask, nullptr)) {
        return 0;
    }
    files_->reader.Rewind();
    createOutputs(channelMask, outputPrefix, files_->reader.fileSize());
    dealOutLanes();

    stopRequest_ = 0;
    try {
        worker_ = launchWorker();
    } catch (const std::system_error&) {
        // Without a worker the finished flag would never rise: report the
        // failure and leave nothing open.
        for (auto& output : files_->outputs) {
            output.close(false);
        }
        files_->reader.Close();
        return 0;
    }
    return 1;
}

// Decoding voice and writing the files take most of a conversion's time and go channel by
// channel, so with a second core the outputs are dealt out to two lanes. One walk reads and
// judges every record once and hands each lane the same batches, in file order, so every file
// gets exactly the chunks, in the same order, that a single lane would give it.
void PS2AVI::dealOutLanes() {
    lanes_ = {0, 0};
    int openCount = 0;
    for (int j = 0; j < kChannelCount; ++j) {
        if (open_[j]) {
            lanes_[openCount++ % 2] |= static_cast<std::uint16_t>(1u << j);
        }
    }
    if (std::thread::hardware_concurrency() < 2) {
        lanes_ = {static_cast<std::uint16_t>(lanes_[0] | lanes_[1]), 0};
    }
}

void PS2AVI::run() {
    std::array<Lane, 2> lanes;
    lanes[0].outputs = lanes_[0];
    lanes[1].outputs = lanes_[1];
    BatchFeed feed(lanes.size(), [this] { return nextBatch(); });
    std::thread second;
    if (lanes[1].outputs != 0) {
        try {
            second = std::thread(&PS2AVI::serveLane, this, std::ref(lanes[1]), std::ref(feed), 1);
        } catch (const std::system_error&) {
            // One lane does all the work instead.
            lanes[0].outputs |= lanes[1].outputs;
            lanes[1].outputs = 0;
        }
    }
    if (!second.joinable()) {
        feed.leave(1);
    }
    serveLane(lanes[0], feed, 0);
    if (second.joinable()) {
        second.join();
    }
    for (const Lane& lane : lanes) {
        if (lane.failure && !files_->damage.failed()) {
            files_->damage.end = lane.failure->end;
            files_->damage.endedAt = lane.failure->endedAt;
            files_->damage.failure = lane.failure->failure;
        }
    }
    finished_ = 1;
}

// Reads and judges the next records once for every lane, on whichever lane's thread asks for
// them first. Nothing once the recording has ended or Stop was asked for; the walk's damage
// and ending are then in place.
std::shared_ptr<const RecordBatch> PS2AVI::nextBatch() noexcept {
    RecordingReader& reader = files_->reader;
    SourceDamage& damage = files_->damage;
    try {
        if (!stopRequest_) {
            auto batch = std::make_shared<RecordBatch>();
            if (reader.nextBatch(*batch)) {
                return batch;
            }
        }
        damage = reader.damage();
        if (stopRequest_) {
            damage.end = WalkEnd::Stopped;
        }
    } catch (const std::exception& error) {
        // The lanes complete the files written so far; the report says the rest is missing.
        damage = reader.damage();
        damage.end = WalkEnd::Failed;
        damage.endedAt = reader.position();
        damage.failure = error.what();
    }
    return nullptr;
}

void PS2AVI::serveLane(Lane& lane, BatchFeed& feed, std::size_t index) {
    startLane(lane);
    bool drained = true;
    while (auto batch = feed.take(index)) {
        if (stopRequest_ || !writeBatch(lane, *batch)) {
            drained = false;
            break;
        }
    }
    feed.leave(index);
    finishLane(lane, drained);
}

void PS2AVI::startLane(Lane& lane) {
    try {
        lane.pcm = allocatePcmBuffer();
        if (!lane.pcm) {
            throw std::bad_alloc();
        }
        lane.writer.emplace(files_->outputs, audioTargets_, lane.outputs, lane.pcm.get());
    } catch (const std::exception& error) {
        lane.fail(error, kFileHeaderSize);
    }
}

bool PS2AVI::writeBatch(Lane& lane, const RecordBatch& batch) {
    if (lane.failure) {
        return false;
    }
    try {
        lane.writer->take(batch.records);
        return true;
    } catch (const std::exception& error) {
        lane.fail(error, batch.position());
        return false;
    }
}

// Each lane completes its own files, side by side with the other: writing out the indexes of
// a long recording takes a while.
void PS2AVI::finishLane(Lane& lane, bool drained) {
    // Only a lane that took every batch may read the walk's ending: it was written before the
    // feed said the walk had ended. A stop that comes after the walk's end would not have cut it
    // short, but only the flag is known here; it then keeps earlier files, which errs on the
    // safe side.
    const bool wholeRecording =
        drained && !lane.failure && stopRequest_ == 0 &&
        (files_->damage.end == WalkEnd::EndOfFile || files_->damage.end == WalkEnd::CutShort);
    for (int j = 0; j < kChannelCount; ++j) {
        if ((lane.outputs >> j) & 1u) {
            files_->outputs[j].close(wholeRecording);
        }
    }
}

int PS2AVI::GetProgress() {
    return files_->reader.GetPositionPercent();
}

int PS2AVI::IsFinished() {
    return finished_;
}

void PS2AVI::Stop() {
    if (worker_.joinable()) {
        stopRequest_ = 1;
        worker_.join();
    }
    // Files the walk has not closed were not written to its end.
    for (auto& output : files_->outputs) {
        output.close(false);
    }
    files_->reader.Close();
}

ConversionReport PS2AVI::report() const {
    ConversionReport report;
    for (int i = 0; i < kChannelCount; ++i) {
        report.channels[i] = files_->outputs[i].report();
    }
    report.source = files_->damage;
    return report;
}

}  // namespace kinorex
