#include "ps2avi.h"

#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "channel_parts.h"
#include "channel_scan.h"
#include "lane_walk.h"
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
    // Walks the recording a second time for the outputs of the second lane, sharing the
    // first reader's blocks.
    RecordingReader secondReader;
    std::array<ChannelParts, kChannelCount> outputs;
    // What each lane's walk met; both walks take the same records, so they differ only in
    // how they ended. Written by the lanes, read after they have been joined.
    std::array<SourceDamage, 2> damage;
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
    files_->damage = {files_->reader.damage(), SourceDamage{}};
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
    return std::unique_ptr<std::int16_t[]>(new (std::nothrow) std::int16_t[LaneWalk::kPcmSamples]);
}

int PS2AVI::Start(const char* sourcePath, std::uint32_t channelMask, const char* outputPrefix) {
    // Replacing a worker that was never joined would end the program.
    Stop();
    if (!prepare(sourcePath, channelMask, nullptr)) {
        return 0;
    }
    files_->reader.Rewind();
    createOutputs(channelMask, outputPrefix, files_->reader.fileSize());
    openSecondLane(sourcePath);

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
        files_->secondReader.Close();
        return 0;
    }
    return 1;
}

// Decoding voice and writing the files take most of a conversion's time and go channel by
// channel, so with a second core the outputs are dealt out to two lanes. Each lane walks the
// whole recording through a reader of its own (reading is cheap, the second read comes from
// the page cache) and serves only its outputs, so every file gets exactly the chunks, in the
// same order, that one walk would give it.
void PS2AVI::openSecondLane(const char* sourcePath) {
    lanes_ = {0, 0};
    int openCount = 0;
    for (int j = 0; j < kChannelCount; ++j) {
        if (open_[j]) {
            lanes_[openCount++ % 2] |= static_cast<std::uint16_t>(1u << j);
        }
    }
    std::array<std::uint8_t, kFileHeaderSize> header{};
    // Both walks decide against the file's size, so a file grown in between walks alone.
    const bool twoLanes = std::thread::hardware_concurrency() > 1 && openCount > 1 &&
                          files_->secondReader.Open(sourcePath, header.data()) &&
                          files_->secondReader.fileSize() == files_->reader.fileSize();
    if (!twoLanes) {
        lanes_ = {static_cast<std::uint16_t>(lanes_[0] | lanes_[1]), 0};
        return;
    }
    auto blocks = std::make_shared<BlockSource>();
    files_->reader.shareBlocks(blocks);
    files_->secondReader.shareBlocks(blocks);
}

void PS2AVI::run() {
    std::thread secondLane;
    if (lanes_[1] != 0) {
        try {
            secondLane = std::thread(&PS2AVI::walk, this, std::ref(files_->secondReader), lanes_[1],
                                     std::ref(files_->damage[1]));
        } catch (const std::system_error&) {
            // Without a second thread the lanes run one after the other, and the first must
            // not wait for the second to take its blocks.
            files_->secondReader.shareBlocks(nullptr);
        }
    }
    walk(files_->reader, lanes_[0], files_->damage[0]);
    if (secondLane.joinable()) {
        secondLane.join();
    } else if (lanes_[1] != 0 && !stopRequest_) {
        walk(files_->secondReader, lanes_[1], files_->damage[1]);
    }
    finished_ = 1;
}

void PS2AVI::walk(RecordingReader& reader, std::uint16_t outputs, SourceDamage& damage) {
    try {
        std::unique_ptr<std::int16_t[]> pcm = allocatePcmBuffer();
        if (!pcm) {
            throw std::bad_alloc();
        }
        LaneWalk(files_->outputs, audioTargets_, outputs, pcm.get()).run(reader, stopRequest_);
        damage = reader.damage();
        if (stopRequest_) {
            damage.end = WalkEnd::Stopped;
        }
    } catch (const std::exception& error) {
        // The files written so far are still completed below; the report says the rest is
        // missing.
        damage = reader.damage();
        damage.end = WalkEnd::Failed;
        damage.endedAt = reader.position();
        damage.failure = error.what();
    }
    reader.shareBlocks(nullptr);
    // A stop that comes after the walk's end would not have cut it short, but only the
    // flag is known here; it then keeps earlier files, which errs on the safe side.
    const bool wholeRecording =
        (damage.end == WalkEnd::EndOfFile || damage.end == WalkEnd::CutShort) && stopRequest_ == 0;
    // Each lane completes its own files, side by side with the other: writing out the
    // indexes of a long recording takes a while.
    for (int j = 0; j < kChannelCount; ++j) {
        if ((outputs >> j) & 1u) {
            files_->outputs[j].close(wholeRecording);
        }
    }
}

int PS2AVI::GetProgress() {
    // Both lanes walk the whole recording; their mean also moves on when they run one after
    // the other.
    const int first = files_->reader.GetPositionPercent();
    return lanes_[1] != 0 ? (first + files_->secondReader.GetPositionPercent()) / 2 : first;
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
    files_->secondReader.Close();
}

ConversionReport PS2AVI::report() const {
    ConversionReport report;
    for (int i = 0; i < kChannelCount; ++i) {
        report.channels[i] = files_->outputs[i].report();
    }
    report.source = files_->damage[0];
    if (files_->damage[1].failed()) {
        report.source.end = files_->damage[1].end;
        report.source.endedAt = files_->damage[1].endedAt;
        report.source.failure = files_->damage[1].failure;
    }
    return report;
}

}  // namespace kinorex
