#pragma once

#include <cstdint>
#include <span>

namespace kinorex::voice {

struct AdpcmFrameJob {
    const std::uint8_t* frame = nullptr;
    std::int16_t* pcm = nullptr;
    std::int16_t samples = 0;
};

void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs);

}  // namespace kinorex::voice
