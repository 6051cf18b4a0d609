// Four frames interleaved in plain code. One frame's samples wait on each other (the step index
// of one code picks the difference of the next); four independent frames give the processor
// four such chains to overlap, which hides most of that wait on any machine.

#include <array>

#include "adpcm_lanes.h"
#include "adpcm_tables.h"

namespace kinorex::voice {

void decodeAdpcmLanesPortable(std::span<AdpcmLane> lanes, std::size_t samples,
                              NibbleOrder order) {
    constexpr std::size_t kLanes = kAdpcmPortableKernel.lanes;
    // Local copies, so that the compiler keeps them in registers across the sample stores.
    std::array<const std::uint8_t*, kLanes> codes{};
    std::array<std::int16_t*, kLanes> pcm{};
    std::array<std::int32_t, kLanes> predicted{};
    std::array<std::int32_t, kLanes> stepIndex{};
    for (std::size_t l = 0; l < kLanes; ++l) {
        codes[l] = lanes[l].codes;
        pcm[l] = lanes[l].pcm;
        predicted[l] = lanes[l].state.predicted;
        stepIndex[l] = lanes[l].state.stepIndex;
    }
    const unsigned earlierShift = order == NibbleOrder::kHighFirst ? 4 : 0;
    const unsigned laterShift = 4 - earlierShift;
    for (std::size_t i = 0; i < samples / 2; ++i) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            const unsigned byte = codes[l][i];
            applyAdpcmCode(predicted[l], stepIndex[l], (byte >> earlierShift) & 0x0Fu);
            pcm[l][2 * i] = static_cast<std::int16_t>(predicted[l]);
            applyAdpcmCode(predicted[l], stepIndex[l], (byte >> laterShift) & 0x0Fu);
            pcm[l][2 * i + 1] = static_cast<std::int16_t>(predicted[l]);
        }
    }
    for (std::size_t l = 0; l < kLanes; ++l) {
        advanceLane(lanes[l], samples,
                    {static_cast<std::int16_t>(predicted[l]),
                     static_cast<std::int8_t>(stepIndex[l])});
    }
}

}  // namespace kinorex::voice
