#include "recording/recording_reader.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "recording/index_chain.h"

namespace kinorex {

namespace {

constexpr std::size_t kPayloadLengthOffset = 20;

constexpr std::size_t kVideoStandardOffset = 13;
constexpr std::size_t kResolutionCodeOffset = 359;  // + channel number
constexpr std::size_t kFrameRateCodeOffset = 391;   // + channel number

// Which column of the picture-size and frame-rate tables the header's standard selects.
std::size_t standardColumn(const std::array<std::uint8_t, kFileHeaderSize>& header) {
    return header[kVideoStandardOffset] == kPalVideoStandard ? 0 : 1;
}

// Size of the record whose frame header this is, when its payload fits `capacity`.
std::optional<std::size_t> fittingRecordSize(const unsigned char* frameHeader,
                                             std::uint32_t capacity) {
    const std::uint32_t payloadLength = loadLe32(frameHeader + kPayloadLengthOffset);
    if (payloadLength > capacity - kFrameHeaderSize) {
        return std::nullopt;
    }
    return kFrameHeaderSize + payloadLength;
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
    if (!size) {
        return false;
    }
    fileSize_ = *size;
    // A file shorter than the header is not caught here: the caller's zeros fill the rest,
    // and a zero entry count or end offset rejects it below.
    if (!file_.read(header, kFileHeaderSize)) {
        return false;
    }
    const std::uint32_t entryCount = loadLe32(header + kIndexEntryCountOffset);
    if (entryCount == 0) {
        return false;
    }
    std::copy_n(header, kFileHeaderSize, header_.begin());
    const std::uint64_t indexEnd = loadLe64(header + kIndexEndOffset);
    if (indexEnd <= kFileHeaderSize) {
        return false;
    }
    if (!entries_.reset(entryCount, countChainEntries(file_, indexEnd, entryCount))) {
        return false;
    }
    loadIndexChain(file_, indexEnd, entries_);
    Rewind();
    return true;
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

std::optional<std::size_t> RecordingReader::nextRecordSize(std::uint32_t capacity) {
    if (!file_.isOpen() || capacity <= kFrameHeaderSize) {
        return std::nullopt;
    }
    const auto frameHeader = readAhead_.peek(kFrameHeaderSize);
    if (!frameHeader) {
        return std::nullopt;
    }
    if (frameHeader->size() < kFrameHeaderSize) {
        readAhead_.skip(frameHeader->size());  // a record cut short ends the walk at the end
        return std::nullopt;
    }
    // Never write past the caller's buffer. Staying at a record that does not fit lets a
    // caller with a larger buffer read it.
    return fittingRecordSize(frameHeader->data(), capacity);
}

bool RecordingReader::viewFrame(std::uint32_t capacity, FrameRecord& record) {
    std::lock_guard guard(lock_);
    const auto recordSize =
        nextRecordSize(std::min<std::uint32_t>(capacity, ReadAhead::kBlockSize));
    if (!recordSize) {
        return false;
    }
    const auto bytes = readAhead_.peek(*recordSize);
    if (!bytes) {
        return false;
    }
    readAhead_.skip(bytes->size());
    if (bytes->size() != *recordSize) {
        return false;  // cut short by the end of the file
    }
    record = FrameRecord(bytes->data(), static_cast<std::uint32_t>(bytes->size()));
    return true;
}

bool RecordingReader::viewFrames(std::uint32_t capacity, std::vector<FrameRecord>& records) {
    std::lock_guard guard(lock_);
    records.clear();
    FrameRecord first;
    if (!viewFrame(capacity, first)) {
        return false;
    }
    records.push_back(first);
    const auto limit = std::min<std::uint32_t>(capacity, ReadAhead::kBlockSize);
    for (auto rest = readAhead_.held(); rest.size() >= kFrameHeaderSize; rest = readAhead_.held()) {
        const auto recordSize = fittingRecordSize(rest.data(), limit);
        if (!recordSize || *recordSize > rest.size()) {
            break;  // for viewFrame to read or refuse
        }
        records.emplace_back(rest.data(), static_cast<std::uint32_t>(*recordSize));
        readAhead_.skip(*recordSize);
    }
    return true;
}

void RecordingReader::shareBlocks(std::shared_ptr<BlockSource> source) {
    std::lock_guard guard(lock_);
    readAhead_.takeBlocksFrom(std::move(source));
}

bool RecordingReader::ReadFrame(std::uint8_t* buffer, std::uint32_t& size) {
    std::lock_guard guard(lock_);
    if (size <= ReadAhead::kBlockSize) {
        FrameRecord record;
        if (!viewFrame(size, record)) {
            return false;
        }
        std::memcpy(buffer, record.data(), record.size());
        size = record.size();
        return true;
    }
    // Only a buffer larger than the read-ahead block can take a record that the block
    // cannot hold in one piece.
    const auto recordSize = nextRecordSize(size);
    if (!recordSize) {
        return false;
    }
    const auto delivered = readAhead_.read(buffer, *recordSize);
    if (!delivered || *delivered != *recordSize) {
        return false;
    }
    size = static_cast<std::uint32_t>(*recordSize);
    return true;
}

void RecordingReader::Rewind() {
    std::lock_guard guard(lock_);
    if (file_.isOpen()) {
        readAhead_.seek(kFileHeaderSize);
    }
}

std::int32_t RecordingReader::GetPositionPercent() const {
    std::lock_guard guard(lock_);
    if (!file_.isOpen() || fileSize_ == 0) {
        return 0;
    }
    const auto position = static_cast<std::int64_t>(readAhead_.position());
    return static_cast<std::int32_t>(position * 100 / static_cast<std::int64_t>(fileSize_));
}

void RecordingReader::Close() {
    std::lock_guard guard(lock_);
    file_.close();
    readAhead_.reset();
    entries_.clear();
    fileSize_ = 0;
}

IndexEntries::Entry RecordingReader::GetIndexEntry(std::uint32_t index) const {
    std::lock_guard guard(lock_);
    return entries_.entry(index);
}

}  // namespace kinorex
