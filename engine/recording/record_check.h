#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kinorex {

// What the bytes at one file position say about a frame record there, judged from its
// 24-byte frame header and the first bytes of its payload alone. A recording has no sync
// marker or checksum, so a walk that has lost step finds its way back by what genuine
// records look like.
struct RecordLook {
    // Header and payload length as a record's: the header is not all zeros, the record fits
    // the file, its payload fits a frame buffer, and a video or voice frame's payload begins
    // as one.
    bool plausible = false;
    // One of the records that carry the recording (a video frame beginning with a start
    // code, a voice frame whose header gives its length exactly, an index block with both
    // magics): bytes that look like this by chance are rare enough to resume at.
    bool convincing = false;
    // A convincing record whose own bytes confirm its length (a voice frame, an index block),
    // so that it can be taken whole whatever follows it; a video frame's length is its
    // header's word alone.
    bool sizeVouched = false;
    // A video or voice frame header whose payload would run past the end of the file, or
    // fewer bytes than a frame header left: the file ends inside a record.
    bool runsPastEnd = false;
    std::uint64_t size = 0;  // header and payload, as the header gives it
};

// Bytes judged after the frame header: enough for an Annex B start code and a voice frame
// header.
inline constexpr std::size_t kPayloadPrefixSize = 4;

// Judges the record whose first bytes are `head` (up to 24 + kPayloadPrefixSize bytes, fewer
// where the file ends), with `room` bytes of the file from its start on. `trailerAgrees`
// tells, for a block of the given size, whether its trailer has its magic and an entry count
// that gives that size; it is asked only for what looks like an index block header.
template <typename TrailerAgrees>
RecordLook lookAtRecord(std::span<const std::uint8_t> head, std::uint64_t room,
                        TrailerAgrees trailerAgrees);

// Whether the four bytes at `at` can begin a video or voice frame header of a convincing
// record: channel index 0..15 and frame type 2 or 3 (bytes 0..3 and 7). Cheap enough to run
// over every byte of a damaged stretch.
inline bool mayBeginRecord(const std::uint8_t* at) {
    return at[0] < 16 && (at[1] | at[2] | at[3]) == 0 && static_cast<std::uint8_t>(at[7] - 2) < 2;
}

}  // namespace kinorex

#include "recording/record_check_impl.h"
