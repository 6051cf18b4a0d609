#pragma once

// The kernels behind decodeAdpcmFrames. Each decodes a fixed number of frames side by side, one
// frame per lane, and leaves every lane ready to go on where it stopped.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "adpcm.h"
#include "cpu_features.h"

namespace kinorex::voice {

// One frame on its way through a kernel.
struct AdpcmLane {
    const std::uint8_t* codes;  // the next code byte
    std::int16_t* pcm;          // where the next sample goes
    std::size_t samples;        // samples still to decode
    AdpcmState state;
};

// Decodes `samples` samples of every lane (a multiple of the kernel's block, at most what
// every lane still has) and moves each lane on past them.
using AdpcmLaneFunction = void (*)(std::span<AdpcmLane> lanes, std::size_t samples,
                                   NibbleOrder order);

struct AdpcmLaneKernel {
    std::size_t lanes;  // the frames it takes at once
    std::size_t block;  // the samples it decodes at a time
    AdpcmLaneFunction decode;
};

void decodeAdpcmLanesPortable(std::span<AdpcmLane> lanes, std::size_t samples, NibbleOrder order);
inline constexpr AdpcmLaneKernel kAdpcmPortableKernel{4, 2, decodeAdpcmLanesPortable};

#if defined(__x86_64__)
#define KINOREX_ADPCM_X86_64_LANES 1

void decodeAdpcmLanesAvx2(std::span<AdpcmLane> lanes, std::size_t samples, NibbleOrder order);
inline constexpr AdpcmLaneKernel kAdpcmAvx2Kernel{8, 8, decodeAdpcmLanesAvx2};

void decodeAdpcmLanesAvx512(std::span<AdpcmLane> lanes, std::size_t samples, NibbleOrder order);
inline constexpr AdpcmLaneKernel kAdpcmAvx512Kernel{32, 32, decodeAdpcmLanesAvx512};
#endif

// Moves a lane on past `samples` samples a kernel has decoded, to `state`.
inline void advanceLane(AdpcmLane& lane, std::size_t samples, const AdpcmState& state) {
    lane.codes += samples / 2;
    lane.pcm += samples;
    lane.samples -= samples;
    lane.state = state;
}

// A vector kernel's lanes, field by field, each field's values side by side as the kernel
// loads them into a register (the state as Words of the lane width) and stores them back.
template <std::size_t kLanes, typename Word>
struct AdpcmLaneColumns {
    std::array<const std::uint8_t*, kLanes> codes{};
    std::array<std::int16_t*, kLanes> pcm{};
    std::array<Word, kLanes> predicted{};
    std::array<Word, kLanes> stepIndex{};

    explicit AdpcmLaneColumns(std::span<const AdpcmLane> lanes) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            codes[l] = lanes[l].codes;
            pcm[l] = lanes[l].pcm;
            predicted[l] = lanes[l].state.predicted;
            stepIndex[l] = lanes[l].state.stepIndex;
        }
    }

    // Moves every lane on past `samples` samples, to the state now in predicted and stepIndex.
    void advance(std::span<AdpcmLane> lanes, std::size_t samples) const {
        for (std::size_t l = 0; l < kLanes; ++l) {
            advanceLane(
                lanes[l], samples,
                {static_cast<std::int16_t>(predicted[l]), static_cast<std::int8_t>(stepIndex[l])});
        }
    }
};

}  // namespace kinorex::voice
