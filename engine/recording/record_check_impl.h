#pragma once

#include <algorithm>
#include <cstring>

#include "little_endian.h"
#include "recording/recording_layout.h"

namespace kinorex {

namespace record_check {

inline constexpr std::size_t kTypeOffset = 7;
inline constexpr std::size_t kLengthOffset = 20;
inline constexpr std::uint8_t kVideoType = 2;
inline constexpr std::uint8_t kAudioType = 3;

// An Annex B stream begins every access unit with 00 00 01 or 00 00 00 01.
inline bool beginsWithStartCode(std::span<const std::uint8_t> payload) {
    return (payload.size() >= 3 && payload[0] == 0 && payload[1] == 0 && payload[2] == 1) ||
           (payload.size() >= 4 && payload[0] == 0 && payload[1] == 0 && payload[2] == 0 &&
            payload[3] == 1);
}

// A voice frame header: 00 01, the frame's length in 16-bit words after the header, 00.
// Zero when the payload does not begin as one, else the frame's size in bytes.
inline std::uint32_t voiceFrameSize(std::span<const std::uint8_t> payload) {
    if (payload.size() < 4 || payload[0] != 0 || payload[1] != 1 || payload[3] != 0) {
        return 0;
    }
    return 4 + 2 * std::uint32_t{payload[2]};
}

}  // namespace record_check

template <typename TrailerAgrees>
RecordLook lookAtRecord(std::span<const std::uint8_t> head, std::uint64_t room,
                        TrailerAgrees trailerAgrees) {
    using namespace record_check;
    RecordLook look;
    if (head.size() < kFrameHeaderSize) {
        // The file ends inside what would be a frame header.
        look.runsPastEnd = room < kFrameHeaderSize;
        return look;
    }
    // Zeros are what a lost sector or a preallocated tail holds, never a record.
    if (std::all_of(head.begin(), head.begin() + kFrameHeaderSize,
                    [](std::uint8_t byte) { return byte == 0; })) {
        return look;
    }
    const std::uint32_t length = loadLe32(head.data() + kLengthOffset);
    look.size = kFrameHeaderSize + std::uint64_t{length};
    const auto payload = head.subspan(kFrameHeaderSize);
    const std::uint8_t type = head[kTypeOffset];
    const bool frame =
        loadLe32(head.data()) < kChannelCount && (type == kVideoType || type == kAudioType);
    const bool indexBlock = !frame && std::memcmp(head.data(), kIndexHeaderMagic, 4) == 0;
    bool payloadFits = true;
    if (frame && length > 0) {
        if (type == kVideoType) {
            payloadFits = beginsWithStartCode(payload);
            look.convincing = payloadFits;
        } else {
            const std::uint32_t voiceSize = voiceFrameSize(payload);
            payloadFits = voiceSize != 0 && voiceSize <= length;
            look.convincing = voiceSize == length;
        }
    }
    if (length > kFrameBufferSize - kFrameHeaderSize || (!payloadFits && look.size <= room)) {
        look.convincing = false;
        return look;
    }
    if (look.size > room) {
        // Whether the header was a frame's or an index block's is all that can be told of a
        // record the file ends inside.
        look.runsPastEnd =
            indexBlock || (frame && (payloadFits || payload.size() < kPayloadPrefixSize));
        look.convincing = false;
        return look;
    }
    look.plausible = true;
    if (indexBlock && look.size >= kIndexBlockHeaderSize + kIndexBlockTrailerSize &&
        (look.size - kIndexBlockHeaderSize - kIndexBlockTrailerSize) % 10 == 0) {
        look.convincing = trailerAgrees(look.size);
    }
    look.sizeVouched = look.convincing && type != kVideoType;
    return look;
}

}  // namespace kinorex
