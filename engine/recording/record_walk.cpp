#include "recording/record_walk.h"

#include <algorithm>
#include <cstring>

#include "little_endian.h"

namespace kinorex {

namespace {

// How much of a damaged stretch one read brings in to be searched.
constexpr std::size_t kScanWindow = ReadBlock::kUsualRead;
// Bytes that mayBeginRecord looks at.
constexpr std::size_t kCandidateBytes = 8;
// Where a record's first bytes hold a zero: a frame header's channel index is below 16, an
// index block's magic ends in one.
constexpr std::size_t kZeroAt = 3;

bool beginsIndexBlock(const std::uint8_t* at) {
    return std::memcmp(at, kIndexHeaderMagic, sizeof kIndexHeaderMagic) == 0;
}

}  // namespace

void RecordWalk::start(std::uint64_t fileSize) {
    fileSize_ = fileSize;
    damage_ = SourceDamage{};
    rewind();
}

void RecordWalk::rewind() {
    readAhead_.seek(kFileHeaderSize);
    const SourceDamage opened = damage_;
    damage_ = SourceDamage{};
    damage_.indexMissing = opened.indexMissing;
    damage_.shorterThanHeader = opened.shorterThanHeader;
    ended_ = false;
    resumeAt_.reset();
    readFailedAt_.reset();
}

std::span<const std::uint8_t> RecordWalk::bytesAt(std::uint64_t position, std::size_t count,
                                                  std::span<std::uint8_t> scratch) {
    if (position >= fileSize_) {
        return {};
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, fileSize_ - position));
    if (const auto held = readAhead_.heldAt(position); held.size() >= count) {
        return held.first(count);
    }
    // Rare: a record judged across the end of the block. A read of its own leaves the block
    // and the read-ahead's sharing as they are.
    std::optional<std::size_t> got;
    if (file_.seek(position)) {
        got = file_.read(scratch.data(), count);
    }
    if (!got) {
        readFailedAt_ = readFailedAt_.value_or(position);
        return {};
    }
    return scratch.first(*got);
}

RecordLook RecordWalk::lookAt(std::uint64_t position) {
    const auto head = bytesAt(position, kHeadSize, headScratch_);
    return lookAtRecord(head, fileSize_ - position, [&](std::uint64_t blockSize) {
        const auto tail = bytesAt(position + blockSize - trailerScratch_.size(),
                                  trailerScratch_.size(), trailerScratch_);
        return tail.size() == trailerScratch_.size() &&
               std::memcmp(tail.data() + 8, kIndexTrailerMagic, 4) == 0 &&
               kIndexBlockHeaderSize + kIndexBlockTrailerSize +
                       std::uint64_t{loadLe32(tail.data())} * 10 ==
                   blockSize;
    });
}

bool RecordWalk::confirmed(std::uint64_t position) {
    for (int hop = 0; hop < kChainHops; ++hop) {
        if (position == fileSize_) {
            return true;
        }
        const RecordLook look = lookAt(position);
        if (look.convincing || look.runsPastEnd) {
            return true;
        }
        if (!look.plausible) {
            return false;
        }
        position += look.size;
    }
    // A long run of records that carry nothing (other channels, other types) is taken as it
    // always was; bytes that are no records break such a chain within a few hops.
    return true;
}

std::optional<std::uint64_t> RecordWalk::findRecord(std::uint64_t from) {
    for (std::uint64_t at = from; fileSize_ - std::min(at, fileSize_) >= kCandidateBytes;) {
        readAhead_.seek(at);  // the progress shows the search moving on
        const auto window = readAhead_.peek(
            static_cast<std::size_t>(std::min<std::uint64_t>(kScanWindow, fileSize_ - at)));
        if (!window) {
            readFailedAt_ = at;
            return std::nullopt;
        }
        if (window->size() < kCandidateBytes) {
            break;
        }
        const std::uint8_t* bytes = window->data();
        const std::size_t candidates = window->size() - kCandidateBytes + 1;
        // Every candidate, frame header or index block, has a zero byte at its fourth byte:
        // memchr skips to the next one many bytes at a time.
        for (std::size_t i = 0; i < candidates; ++i) {
            const auto* zero = static_cast<const std::uint8_t*>(
                std::memchr(bytes + i + kZeroAt, 0, candidates - i));
            if (zero == nullptr) {
                break;
            }
            i = static_cast<std::size_t>(zero - bytes) - kZeroAt;
            if (!mayBeginRecord(bytes + i) && !beginsIndexBlock(bytes + i)) {
                continue;
            }
            const RecordLook look = lookAt(at + i);
            if (look.convincing && confirmed(at + i + look.size)) {
                return at + i;
            }
            if (readFailed()) {
                return std::nullopt;
            }
        }
        at += candidates;
    }
    return std::nullopt;
}

bool RecordWalk::findsRecord() {
    // As the walk would: the first record, even one that only damage follows, or any
    // convincing record after it.
    const RecordLook look = lookAt(kFileHeaderSize);
    const bool found = look.convincing ||
                       (look.plausible && confirmed(kFileHeaderSize + look.size)) ||
                       findRecord(kFileHeaderSize + 1).has_value();
    rewind();
    return found;
}

void RecordWalk::end(WalkEnd why, std::uint64_t at) {
    ended_ = true;
    damage_.end = why;
    damage_.endedAt = at;
    if (why == WalkEnd::CutShort) {
        damage_.cutShortAt = at;
    }
    readAhead_.seek(why == WalkEnd::ReadError ? at : fileSize_);
}

// Zeros right behind a whole record that does not end in a zero are a lost sector or the
// unwritten tail of a recording: the record itself is intact. Anything else behind it may
// as well be the record's own length gone wrong, or a cut through it, so it is not trusted.
bool RecordWalk::damageOnlyFollows(std::uint64_t position, const RecordLook& look,
                                   std::optional<std::uint64_t> found) {
    const std::uint64_t end = position + look.size;
    if (end > found.value_or(fileSize_) || end >= fileSize_) {
        return false;
    }
    const auto around = bytesAt(end - 1, 2, trailerScratch_);
    return around.size() == 2 && around[0] != 0 && around[1] == 0;
}

bool RecordWalk::recover(std::uint64_t position, const RecordLook& look, std::uint32_t capacity,
                         std::vector<FrameRecord>& records) {
    const auto found = findRecord(position + 1);
    if (readFailed()) {
        return false;
    }
    std::uint64_t damageStart = position;
    if (look.convincing && look.size <= capacity && damageOnlyFollows(position, look, found)) {
        readAhead_.seek(position);
        const auto bytes = readAhead_.peek(static_cast<std::size_t>(look.size));
        if (!bytes || bytes->size() != look.size) {
            readFailedAt_ = position;
            return false;
        }
        records.emplace_back(bytes->data(), static_cast<std::uint32_t>(look.size));
        readAhead_.skip(look.size);
        damageStart = position + look.size;
    }
    if (found) {
        if (damageStart < *found) {
            damage_.addRange(damageStart, *found);
        }
        resumeAt_ = *found;
    } else if (look.runsPastEnd && damageStart == position) {
        end(WalkEnd::CutShort, position);
    } else {
        if (damageStart < fileSize_) {
            damage_.addRange(damageStart, fileSize_);
        }
        resumeAt_ = fileSize_;
    }
    return !records.empty();
}

bool RecordWalk::next(std::uint32_t capacity, std::size_t most, std::vector<FrameRecord>& records) {
    records.clear();
    while (!ended_ && records.size() < most) {
        if (resumeAt_) {
            readAhead_.seek(*resumeAt_);
            resumeAt_.reset();
        }
        const std::uint64_t position = readAhead_.position();
        if (position >= fileSize_) {
            end(WalkEnd::EndOfFile, position);
            break;
        }
        const auto headSize =
            static_cast<std::size_t>(std::min<std::uint64_t>(kHeadSize, fileSize_ - position));
        if (readAhead_.held().size() < headSize) {
            if (!records.empty()) {
                break;
            }
            readAhead_.peek(headSize);
        }
        const RecordLook look = lookAt(position);
        if (look.plausible && readAhead_.held().size() < look.size + headSize) {
            if (!records.empty()) {
                break;
            }
            // The record and the head of the next one in one block.
            const auto got = readAhead_.peek(static_cast<std::size_t>(
                std::min<std::uint64_t>(look.size + kHeadSize, fileSize_ - position)));
            if (!got) {
                end(WalkEnd::ReadError, position);
                break;
            }
            if (got->size() < look.size) {
                end(WalkEnd::CutShort, position);  // the file shrank since it was opened
                break;
            }
        }
        if (look.plausible && confirmed(position + look.size)) {
            if (look.size > capacity) {
                break;  // for a caller with a larger buffer
            }
            records.emplace_back(readAhead_.held().data(), static_cast<std::uint32_t>(look.size));
            readAhead_.skip(look.size);
            continue;
        }
        if (readFailed()) {
            end(WalkEnd::ReadError, *readFailedAt_);
            break;
        }
        if (!records.empty()) {
            break;  // the damage is dealt with on the next call
        }
        if (recover(position, look, capacity, records)) {
            break;
        }
        if (readFailed()) {
            end(WalkEnd::ReadError, *readFailedAt_);
        }
    }
    return !records.empty();
}

}  // namespace kinorex
