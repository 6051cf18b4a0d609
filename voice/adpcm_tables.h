#pragma once

// IMA ADPCM's step sizes and index adjustments, and the per-step-index transitions built from
// them: one home for the tables that the frame codec and the batch decoder both read.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "adpcm.h"

namespace kinorex::voice {

inline constexpr std::array<std::int32_t, kAdpcmMaxStepIndex + 1> kAdpcmStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

inline constexpr std::array<std::int32_t, 16> kAdpcmIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8,
                                                                   -1, -1, -1, -1, 2, 4, 6, 8};

// A code's magnitude in quarter steps, as IMA ADPCM builds it: an eighth of the step always,
// then the step, its half and its quarter for bits 2, 1 and 0, each truncated on its own and
// never multiplied, so that every coder of the format agrees bit for bit.
constexpr std::int32_t adpcmMagnitude(std::int32_t step, std::uint32_t code) {
    return (step >> 3) + ((code & 4) ? step : 0) + ((code & 2) ? step >> 1 : 0) +
           ((code & 1) ? step >> 2 : 0);
}

// For each step index, per code: the signed difference; and the step index that follows, with
// its step size, which the encoder needs at once for the next sample: looked up directly, it
// does not wait for the next step index. A row is 128 bytes, so that finding it takes one shift.
struct AdpcmStepTransition {
    std::array<std::int32_t, 16> diff;
    std::array<std::int16_t, 16> nextStep;
    std::array<std::uint8_t, 16> nextIndex;
    std::array<std::uint8_t, 16> padding;
};
static_assert(sizeof(AdpcmStepTransition) == 128);

inline constexpr auto kAdpcmTransitions = [] {
    std::array<AdpcmStepTransition, kAdpcmMaxStepIndex + 1> table{};
    for (std::size_t index = 0; index < table.size(); ++index) {
        for (std::uint32_t code = 0; code < 16; ++code) {
            const std::int32_t magnitude = adpcmMagnitude(kAdpcmStepSizes[index], code);
            table[index].diff[code] = (code & 8) ? -magnitude : magnitude;
            const std::int32_t next = std::clamp<std::int32_t>(
                static_cast<std::int32_t>(index) + kAdpcmIndexAdjust[code], 0, kAdpcmMaxStepIndex);
            table[index].nextIndex[code] = static_cast<std::uint8_t>(next);
            table[index].nextStep[code] =
                static_cast<std::int16_t>(kAdpcmStepSizes[static_cast<std::size_t>(next)]);
        }
    }
    return table;
}();

// Decodes one code into a decoder's working registers (stepIndex 0..88). The difference and
// the next index are looked up rather than branched on: the code bits are as good as random, so
// branches on them mispredict half the time.
[[gnu::always_inline]] inline void applyAdpcmCode(std::int32_t& predicted, std::int32_t& stepIndex,
                                                  std::uint32_t code) {
    const AdpcmStepTransition& transition = kAdpcmTransitions[static_cast<std::size_t>(stepIndex)];
    predicted = std::clamp<std::int32_t>(predicted + transition.diff[code], INT16_MIN, INT16_MAX);
    stepIndex = transition.nextIndex[code];
}

}  // namespace kinorex::voice
