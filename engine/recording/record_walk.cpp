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
// The smallest piece a read error is narrowed down to: a disk's sector or page.
constexpr std::size_t kUnreadablePiece = 4096;

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
    unreadable_.clear();
    unreadableTail_.reset();
    lastLook_.reset();
}

const RecordWalk::Unreadable* RecordWalk::unreadableFrom(std::uint64_t position) const {
    const auto stretch =
        std::find_if(unreadable_.begin(), unreadable_.end(),
                     [&](const Unreadable& unreadable) { return position < unreadable.end; });
    return stretch == unreadable_.end() ? nullptr : &*stretch;
}

std::uint64_t RecordWalk::readableEnd(std::uint64_t position) const {
    const Unreadable* stretch = unreadableFrom(position);
    return stretch ? std::max(position, stretch->start) : fileSize_;
}

std::optional<std::span<const std::uint8_t>> RecordWalk::peek(std::size_t count) {
    const std::uint64_t position = readAhead_.position();
    const std::uint64_t end = readableEnd(position);
    if (position >= end) {
        return std::span<const std::uint8_t>{};
    }
    readAhead_.readNoFurtherThan(end);
    return readAhead_.peek(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, end - position)));
}

bool RecordWalk::readable(std::uint64_t position, std::size_t count,
                          std::vector<std::uint8_t>& buffer) {
    buffer.resize(count);
    return file_.seek(position) && file_.read(buffer.data(), count).has_value();
}

bool RecordWalk::skipUnreadable(std::uint64_t failedAt) {
    std::vector<std::uint8_t> buffer;
    // Halves the failing read at 4 KB boundaries of the file, as a disk fails whole sectors,
    // until it lies within one piece: the first unreadable piece.
    const auto pieceEnd = [](std::uint64_t at) {
        return (at / kUnreadablePiece + 1) * kUnreadablePiece;
    };
    std::uint64_t from = failedAt;
    std::uint64_t to =
        failedAt + std::min<std::uint64_t>(ReadBlock::kCapacity, readableEnd(failedAt) - failedAt);
    if (to == from || readable(from, static_cast<std::size_t>(to - from), buffer)) {
        return false;  // it reads now: going on would read it again and again
    }
    while (to > pieceEnd(from)) {
        const std::uint64_t middle = std::max(
            pieceEnd(from), (from + (to - from) / 2) / kUnreadablePiece * kUnreadablePiece);
        if (readable(from, static_cast<std::size_t>(middle - from), buffer)) {
            from = middle;
        } else {
            to = middle;
        }
    }
    // The stretch goes on up to the first piece that reads again.
    std::uint64_t end = std::min(pieceEnd(from), fileSize_);
    while (end < fileSize_ && !readable(end,
                                        static_cast<std::size_t>(std::min<std::uint64_t>(
                                            kUnreadablePiece, fileSize_ - end)),
                                        buffer)) {
        end += kUnreadablePiece;
    }
    if (end >= fileSize_) {
        // Nothing after it can be read: the walk takes what lies before it, and ends there.
        end = fileSize_;
        unreadableTail_ = from;
    }
    const auto after =
        std::find_if(unreadable_.begin(), unreadable_.end(),
                     [&](const Unreadable& stretch) { return stretch.start > from; });
    unreadable_.insert(after, Unreadable{from, end});
    lastLook_.reset();  // what lay before the stretch was judged to run on into it
    readFailedAt_.reset();
    return true;
}

std::span<const std::uint8_t> RecordWalk::bytesAt(std::uint64_t position, std::size_t count,
                                                  std::span<std::uint8_t> scratch) {
    const std::uint64_t end = readableEnd(position);
    if (position >= end) {
        return {};
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, end - position));
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
    // In step, each record is looked at once as the one after its predecessor, to confirm
    // it, and once more as the walk's next record.
    if (lastLook_ && lastLook_->position == position) {
        return lastLook_->look;
    }
    const auto head = bytesAt(position, kHeadSize, headScratch_);
    const RecordLook look =
        lookAtRecord(head, readableEnd(position) - position, [&](std::uint64_t blockSize) {
            const auto tail = bytesAt(position + blockSize - trailerScratch_.size(),
                                      trailerScratch_.size(), trailerScratch_);
            return tail.size() == trailerScratch_.size() &&
                   std::memcmp(tail.data() + 8, kIndexTrailerMagic, 4) == 0 &&
                   kIndexBlockHeaderSize + kIndexBlockTrailerSize +
                           std::uint64_t{loadLe32(tail.data())} * 10 ==
                       blockSize;
        });
    // A look that a read error cut short is taken again once the failure is dealt with.
    if (!readFailed()) {
        lastLook_ = LastLook{position, look};
    }
    return look;
}

bool RecordWalk::confirmed(std::uint64_t position) {
    for (int hop = 0; hop < kChainHops; ++hop) {
        if (position == readableEnd(position)) {
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
        const auto window = peek(kScanWindow);
        if (!window) {
            readFailedAt_ = at;
            return std::nullopt;
        }
        if (window->size() < kCandidateBytes) {
            if (readableEnd(at) == fileSize_) {
                break;
            }
            at = unreadableFrom(at)->end;  // on past the stretch, which holds no record
            continue;
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

// A record whose own bytes vouch for its length is whole when it ends before the next record
// found. So is one followed by zeros when it does not end in a zero: they are a lost sector or
// the unwritten tail of a recording. Anything else behind it may as well be the record's own
// length gone wrong, or a cut through it, so it is not trusted.
bool RecordWalk::wholeBeforeDamage(std::uint64_t position, const RecordLook& look,
                                   std::optional<std::uint64_t> found) {
    const std::uint64_t end = position + look.size;
    if (end > found.value_or(fileSize_) || end > readableEnd(position)) {
        return false;
    }
    if (look.sizeVouched) {
        return true;
    }
    if (end >= fileSize_) {
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
    if (look.convincing && look.size <= capacity && wholeBeforeDamage(position, look, found)) {
        readAhead_.seek(position);
        const auto bytes = peek(static_cast<std::size_t>(look.size));
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
    } else if (unreadableTail_) {
        end(WalkEnd::ReadError, *unreadableTail_);
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
        if (readFailed()) {
            if (!records.empty()) {
                break;  // their bytes stay in the block until the next call
            }
            if (!skipUnreadable(*readFailedAt_)) {
                end(WalkEnd::ReadError, *readFailedAt_);
                break;
            }
        }
        if (resumeAt_) {
            readAhead_.seek(*resumeAt_);
            resumeAt_.reset();
        }
        const std::uint64_t position = readAhead_.position();
        if (position >= fileSize_) {
            end(WalkEnd::EndOfFile, position);
            break;
        }
        const auto headSize = static_cast<std::size_t>(
            std::min<std::uint64_t>(kHeadSize, readableEnd(position) - position));
        if (readAhead_.held().size() < headSize) {
            if (!records.empty()) {
                break;
            }
            peek(headSize);
        }
        const RecordLook look = lookAt(position);
        if (look.plausible && readAhead_.held().size() < look.size + headSize) {
            if (!records.empty()) {
                break;
            }
            // The record and the head of the next one in one block.
            const auto got = peek(static_cast<std::size_t>(look.size + kHeadSize));
            if (!got) {
                readFailedAt_ = position;
                continue;
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
            continue;
        }
        if (!records.empty()) {
            break;  // the damage is dealt with on the next call
        }
        if (recover(position, look, capacity, records)) {
            break;
        }
        if (readFailed()) {
            readAhead_.seek(position);  // the walk judges this position again
        }
    }
    return !records.empty();
}

}  // namespace kinorex
