#pragma once

// The two payload words that types 3 and 35 start every frame with: the predicted sample
// (little-endian) and the step index (low byte; the high byte is 0). They carry the state the
// frame was encoded from, so a decoder can join a stream at any frame.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "adpcm.h"

namespace kinorex::voice {

inline constexpr std::size_t kAdpcmStateWordBytes = 4;

inline void writeAdpcmStateWords(std::uint8_t* payload, const AdpcmState& state) {
    const auto word = static_cast<std::uint16_t>(state.predicted);
    payload[0] = static_cast<std::uint8_t>(word & 0xFF);
    payload[1] = static_cast<std::uint8_t>(word >> 8);
    payload[2] = static_cast<std::uint8_t>(state.stepIndex);
    payload[3] = 0;
}

// Only the low byte of the step-index word counts; an index the encoder never writes is
// clamped so that it cannot reach outside the step-size table.
inline AdpcmState readAdpcmStateWords(const std::uint8_t* payload) {
    return {static_cast<std::int16_t>(payload[0] | (payload[1] << 8)),
            static_cast<std::int8_t>(std::min<int>(payload[2], kAdpcmMaxStepIndex))};
}

}  // namespace kinorex::voice
