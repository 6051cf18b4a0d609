#pragma once

#include <cstdint>

namespace kinorex {

// The RIFF size field is read as signed by many readers, so an AVI file stays under 2 GiB.
inline constexpr std::uint64_t kMaxAviFileSize = 0x7FFFFFFF;

// When a channel's output moves on to its next part file.
struct PartLimits {
    // Whole-file limit of each part, headers and index included.
    std::uint64_t maxFileSize = kMaxAviFileSize;
    // Once a part has less room than this left, the next key frame starts a new part, so
    // that each part plays from its first frame.
    std::uint64_t keyFrameMargin = std::uint64_t{64} << 20;
    // MP4 files of a recording larger than this are written in fragments, so that the
    // muxer's index does not grow with the recording: an unfragmented index takes about
    // 60 KB per second of a 16-channel recording (some 200 MB an hour) until the end, and a
    // recording of this size, about two minutes of 16 channels, brings some 8 MB.
    std::uint64_t fragmentMp4Above = std::uint64_t{32} << 20;
};

}  // namespace kinorex
