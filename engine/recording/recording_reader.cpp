#include "recording/recording_reader.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "recording/index_chain.h"

namespace kinorex {

namespace {

constexpr std::size_t kVideoStandardOffset = 13;
constexpr std::size_t kResolutionCodeOffset = 359;  // + channel number
constexpr std::size_t kFrameRateCodeOffset = 391;   // + channel number

// Which column of the picture-size and frame-rate tables the header's standard selects.
std::size_t standardColumn(const std::array<std::uint8_t, kFileHeaderSize>& header) {
    return header[kVideoStandardOffset] == kPalVideoStandard ? 0 : 1;
}

bool isChannelNumber(std::uint8_t channelNumber) {
    return channelNumber >= 1 && channelNumber <= kChannelCount;
}

}  // namespace

RecordingReader::~RecordingReader() {
    Close();
}

bool RecordingReader::Open(const char* path, std::uint8_t* header) {
    std::lock_guard guard(lock_);
    Close();
    if (!file_.openForSharedRead(path)) {
        return false;
    }
    // Whatever goes wrong from here on, no half-checked file stays open for ReadFrame.
    if (!loadOpenedFile(header)) {
        Close();
        return false;
    }
    return true;
}

bool RecordingReader::loadOpenedFile(std::uint8_t* header) {
    const auto size = file_.size();
    if (!size || *size < kFileHeaderSize) {
        return false;
    }
    fileSize_ = *size;
    const auto got = file_.read(header, kFileHeaderSize);
    if (!got || *got != kFileHeaderSize) {
        return false;
    }
    std::copy_n(header, kFileHeaderSize, header_.begin());
    walk_.start(fileSize_);
    loadIndex(loadLe32(header + kIndexEntryCountOffset), loadLe64(header + kIndexEndOffset));
    Rewind();
    // The index is the recorder's last write and the conversion never needs it: only a
    // data area without a single record makes a file no recording.
    if (!walk_.findsRecord()) {
        return false;
    }
    noteProgress();
    return true;
}

// Whatever entries can be loaded are, so that GetIndexEntry means what it always meant. A
// recorder writes the index fields when it closes the recording, so zeros there mean it never
// did; a chain that cannot be followed is only advice lost.
void RecordingReader::loadIndex(std::uint32_t entryCount, std::uint64_t indexEnd) {
    SourceDamage& damage = walk_.damage();
    damage.indexMissing = entryCount == 0 || indexEnd <= kFileHeaderSize;
    damage.shorterThanHeader = !damage.indexMissing && indexEnd > fileSize_;
    if (damage.indexMissing ||
        !entries_.reset(entryCount, countChainEntries(file_, indexEnd, entryCount))) {
        entries_.clear();
        return;
    }
    loadIndexChain(file_, indexEnd, entries_);
}

void RecordingReader::GetResolution(std::uint8_t channelNumber, std::int32_t& width,
                                    std::int32_t& height) const {
    std::lock_guard guard(lock_);
    width = 0;
    height = 0;
    if (!isChannelNumber(channelNumber)) {
        return;
    }
    const std::uint8_t code = header_[kResolutionCodeOffset + channelNumber];
    if (code < std::size(kPictureSizes[0])) {
        const PictureSize& size = kPictureSizes[standardColumn(header_)][code];
        width = size.width;
        height = size.height;
    }
}

std::uint8_t RecordingReader::GetFrameRate(std::uint8_t channelNumber) const {
    std::lock_guard guard(lock_);
    if (!isChannelNumber(channelNumber)) {
        return 0;
    }
    const std::uint8_t code = header_[kFrameRateCodeOffset + channelNumber];
    if (code >= std::size(kFrameRates[0])) {
        return kFallbackFrameRate;
    }
    return kFrameRates[standardColumn(header_)][code];
}

bool RecordingReader::viewFrame(std::uint32_t capacity, FrameRecord& record) {
    std::lock_guard guard(lock_);
    if (!viewFrames(capacity, single_, 1)) {
        return false;
    }
    record = single_.front();
    return true;
}

bool RecordingReader::viewFrames(std::uint32_t capacity, std::vector<FrameRecord>& records) {
    return viewFrames(capacity, records, SIZE_MAX);
}

bool RecordingReader::viewFrames(std::uint32_t capacity, std::vector<FrameRecord>& records,
                                 std::size_t most) {
    std::lock_guard guard(lock_);
    records.clear();
    if (!file_.isOpen() || capacity <= kFrameHeaderSize) {
        return false;
    }
    const bool any = walk_.next(std::min<std::uint32_t>(capacity, kFrameBufferSize), most, records);
    noteProgress();
    return any;
}

SourceDamage RecordingReader::damage() const {
    std::lock_guard guard(lock_);
    return walk_.damage();
}

std::uint64_t RecordingReader::position() const {
    std::lock_guard guard(lock_);
    return readAhead_.position();
}

std::uint64_t RecordingReader::fileSize() const {
    std::lock_guard guard(lock_);
    return fileSize_;
}

bool RecordingReader::nextBatch(RecordBatch& batch) {
    std::lock_guard guard(lock_);
    batch.block.reset();
    if (!viewFrames(kFrameBufferSize, batch.records)) {
        return false;
    }
    // The walk hands out records from the block it has just read, never from one before.
    batch.block = readAhead_.block();
    return true;
}

bool RecordingReader::ReadFrame(std::uint8_t* buffer, std::uint32_t& size) {
    std::lock_guard guard(lock_);
    FrameRecord record;
    if (!viewFrame(size, record)) {
        return false;
    }
    std::memcpy(buffer, record.data(), record.size());
    size = record.size();
    return true;
}

void RecordingReader::Rewind() {
    std::lock_guard guard(lock_);
    if (file_.isOpen()) {
        walk_.rewind();
        noteProgress();
    }
}

// Without the lock: a walk that waits for a block, or searches a long damaged stretch,
// holds it, and the user interface must not wait with it.
std::int32_t RecordingReader::GetPositionPercent() const {
    const auto size = static_cast<std::int64_t>(fileSize_.load(std::memory_order_relaxed));
    if (size == 0) {
        return 0;
    }
    const auto position =
        static_cast<std::int64_t>(progressPosition_.load(std::memory_order_relaxed));
    return static_cast<std::int32_t>(position * 100 / size);
}

void RecordingReader::noteProgress() {
    progressPosition_.store(readAhead_.position(), std::memory_order_relaxed);
}

void RecordingReader::Close() {
    std::lock_guard guard(lock_);
    file_.close();
    readAhead_.reset();
    entries_.clear();
    fileSize_ = 0;
    progressPosition_.store(0, std::memory_order_relaxed);
}

IndexEntries::Entry RecordingReader::GetIndexEntry(std::uint32_t index) const {
    std::lock_guard guard(lock_);
    return entries_.entry(index);
}

}  // namespace kinorex
