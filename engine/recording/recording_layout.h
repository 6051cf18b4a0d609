#pragma once

#include <cstddef>
#include <cstdint>

#include "channel_table.h"  // kChannelCount

namespace kinorex {

// A recording begins with a fixed-size file header; the frame records follow it directly.
inline constexpr std::size_t kFileHeaderSize = 1428;

// The file header's bytes 1416..1419 count the index entries; 1420..1427 give the offset
// where the last index block ends.
inline constexpr std::size_t kIndexEntryCountOffset = 1416;
inline constexpr std::size_t kIndexEndOffset = 1420;

// An index block: a header with kIndexHeaderMagic, the entries, then a trailer that gives
// the entry count, the distance back to the previous block's end, and kIndexTrailerMagic.
inline constexpr std::size_t kIndexBlockHeaderSize = 24;
inline constexpr std::size_t kIndexBlockTrailerSize = 76;
inline constexpr std::size_t kTrailerEntryCountOffset = 64;
inline constexpr std::size_t kTrailerDistanceOffset = 68;
inline constexpr std::size_t kTrailerMagicOffset = 72;
inline constexpr std::uint8_t kIndexHeaderMagic[4] = {'I', 'U', 'R', 0};
inline constexpr std::uint8_t kIndexTrailerMagic[4] = {'N', 'U', 'X', 0};

// Every frame record starts with a header of this size; its payload follows.
inline constexpr std::size_t kFrameHeaderSize = 24;

// Every record buffer in the engine has this size, so a payload can be at most
// kFrameBufferSize - kFrameHeaderSize bytes.
inline constexpr std::size_t kFrameBufferSize = 0x80000;

// The file header's video standard byte picks the first column of the tables below when it
// is kPalVideoStandard, the second for any other value.
inline constexpr std::uint8_t kPalVideoStandard = 1;

struct PictureSize {
    std::int32_t width;
    std::int32_t height;
};

// Picture size by resolution code 0..2; other codes mean 0 x 0.
inline constexpr PictureSize kPictureSizes[2][3] = {
    {{704, 576}, {352, 288}, {704, 288}},
    {{640, 480}, {320, 240}, {640, 240}},
};

// Frames per second by frame-rate code 0..5; codes past the table mean kFallbackFrameRate
// under either standard.
inline constexpr std::uint8_t kFrameRates[2][6] = {
    {0, 1, 2, 6, 12, 25},
    {0, 1, 2, 6, 15, 30},
};
inline constexpr std::uint8_t kFallbackFrameRate = 25;

}  // namespace kinorex
