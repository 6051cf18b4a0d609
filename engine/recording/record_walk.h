#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "conversion_report.h"
#include "platform/file.h"
#include "recording/frame_record.h"
#include "recording/read_ahead.h"
#include "recording/record_check.h"

namespace kinorex {

// The walk through a recording's frame records, in file order. While it is in step it takes
// each record its predecessor's length leads to, as long as the record is plausible and the
// chain of lengths from it stays plausible for a few records (or comes to a convincing one,
// or to the end of the file): a record is believed only when what follows it agrees. Where that
// fails, the walk has lost step: it looks for the next convincing record from just after the failed
// position on, so that the record that truly follows a damaged length field is not lost, and
// notes the bytes it skipped. The record at the failed position is dropped unless its own bytes
// vouch for its length or only zeros follow it: garbage is never handed out as a frame. Every byte
// is looked at a small, fixed number of times, so damage never makes the walk slower than a few
// reads of the file.
class RecordWalk {
public:
    RecordWalk(ReadAhead& readAhead, platform::File& file) : readAhead_(readAhead), file_(file) {}

    // A new file of `fileSize` bytes: the walk stands at its first frame record, and every
    // decision is taken against this size, so two walks of one file take the same records.
    void start(std::uint64_t fileSize);
    // Back to the first frame record; the damage the walk met is forgotten.
    void rewind();
    // Whether the data area holds any record the walk would take.
    bool findsRecord();

    // The next records, up to `most` of them, each at most `capacity` bytes: those the
    // read-ahead block holds together, without copying; the views stay valid until the next
    // call or a rewind. False, with no records, when the walk has ended (see damage().end) or
    // the next record is larger than `capacity`, which leaves the walk at that record.
    bool next(std::uint32_t capacity, std::size_t most, std::vector<FrameRecord>& records);

    SourceDamage& damage() { return damage_; }
    const SourceDamage& damage() const { return damage_; }

private:
    // Header and payload prefix: what judging a record needs.
    static constexpr std::size_t kHeadSize = kFrameHeaderSize + kPayloadPrefixSize;
    // Records of a chain that must come to a convincing one.
    static constexpr int kChainHops = 4;

    // Up to `count` bytes at `position` (fewer where the file ends): from the read-ahead
    // block where it holds them, else read into `scratch`. Empty after a read error.
    std::span<const std::uint8_t> bytesAt(std::uint64_t position, std::size_t count,
                                          std::span<std::uint8_t> scratch);
    RecordLook lookAt(std::uint64_t position);
    // The chain of records from `position` comes to a convincing record or the end of the
    // file, or stays plausible, for kChainHops records.
    bool confirmed(std::uint64_t position);
    // The first convincing, confirmed record at or after `from`.
    std::optional<std::uint64_t> findRecord(std::uint64_t from);
    // The walk lost step at `position`, where `look` was seen. Takes the record there into
    // `records` when it is whole, fits `capacity` and the damage lies behind it; true then.
    bool recover(std::uint64_t position, const RecordLook& look, std::uint32_t capacity,
                 std::vector<FrameRecord>& records);
    bool wholeBeforeDamage(std::uint64_t position, const RecordLook& look,
                           std::optional<std::uint64_t> found);
    void end(WalkEnd why, std::uint64_t at);
    struct Unreadable;
    // The first stretch the disk failed to read that ends after `position`; nothing if none.
    const Unreadable* unreadableFrom(std::uint64_t position) const;
    // Where the bytes readable from `position` on end: at the next stretch the disk failed
    // to read, else at the end of the file; `position` itself inside such a stretch.
    std::uint64_t readableEnd(std::uint64_t position) const;
    // The read-ahead's next `count` bytes, short of any unreadable stretch.
    std::optional<std::span<const std::uint8_t>> peek(std::size_t count);
    // After a read failed at `failedAt`: narrows the unreadable stretch down to the 4 KB
    // pieces that fail, so that the walk steps over just those, or ends at them where nothing
    // after them can be read. False where the failure cannot be found again.
    bool skipUnreadable(std::uint64_t failedAt);
    bool readable(std::uint64_t position, std::size_t count, std::vector<std::uint8_t>& buffer);
    bool readFailed() const { return readFailedAt_.has_value(); }

    ReadAhead& readAhead_;
    platform::File& file_;
    std::uint64_t fileSize_ = 0;
    SourceDamage damage_;
    bool ended_ = false;
    // Where to go on once the record kept before a damaged stretch has been handed out.
    std::optional<std::uint64_t> resumeAt_;
    std::optional<std::uint64_t> readFailedAt_;
    // Stretches the disk failed to read, in file order; the walk takes them for damage.
    struct Unreadable {
        std::uint64_t start;
        std::uint64_t end;
    };
    std::vector<Unreadable> unreadable_;
    // Where the last stretch begins when it runs to the end of the file.
    std::optional<std::uint64_t> unreadableTail_;
    struct LastLook {
        std::uint64_t position;
        RecordLook look;
    };
    std::optional<LastLook> lastLook_;
    std::array<std::uint8_t, kHeadSize> headScratch_{};
    std::array<std::uint8_t, 12> trailerScratch_{};
};

}  // namespace kinorex
