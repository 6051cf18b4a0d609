#include "adpcm.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>

namespace kinorex::voice {
namespace {

constexpr std::array<std::int32_t, kAdpcmMaxStepIndex + 1> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr std::array<std::int32_t, 16> kIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8,
                                                       -1, -1, -1, -1, 2, 4, 6, 8};

// For each step index, per code: the signed difference, built from the step, half step and
// quarter step, never multiplied, so encoder and decoder agree bit for bit; and the step
// index that follows, with its step size, which the encoder needs at once for the next
// sample: looked up directly, it does not wait for the next step index. A row is 128 bytes, so
// that finding it takes one shift.
struct StepTransition {
    std::array<std::int32_t, 16> diff;
    std::array<std::int16_t, 16> nextStep;
    std::array<std::uint8_t, 16> nextIndex;
    std::array<std::uint8_t, 16> padding;
};
static_assert(sizeof(StepTransition) == 128);

constexpr auto kTransitions = [] {
    std::array<StepTransition, kAdpcmMaxStepIndex + 1> table{};
    for (std::size_t index = 0; index < table.size(); ++index) {
        const std::int32_t step = kStepSizes[index];
        for (std::uint32_t code = 0; code < 16; ++code) {
            const std::int32_t magnitude = (step >> 3) + ((code & 4) ? step : 0) +
                                           ((code & 2) ? step >> 1 : 0) +
                                           ((code & 1) ? step >> 2 : 0);
            table[index].diff[code] = (code & 8) ? -magnitude : magnitude;
            const std::int32_t next = std::clamp<std::int32_t>(
                static_cast<std::int32_t>(index) + kIndexAdjust[code], 0, kAdpcmMaxStepIndex);
            table[index].nextIndex[code] = static_cast<std::uint8_t>(next);
            table[index].nextStep[code] =
                static_cast<std::int16_t>(kStepSizes[static_cast<std::size_t>(next)]);
        }
    }
    return table;
}();

// The working copy of the state, kept in plain ints for the length of one run of codes.
struct Registers {
    std::int32_t predicted;
    std::int32_t stepIndex;
    std::int32_t step;  // kStepSizes[stepIndex], kept up to date by the encoder

    explicit Registers(const AdpcmState& state)
        : predicted(state.predicted),
          stepIndex(std::clamp<std::int32_t>(state.stepIndex, 0, kAdpcmMaxStepIndex)),
          step(kStepSizes[static_cast<std::size_t>(stepIndex)]) {}

    void storeInto(AdpcmState& state) const {
        state.predicted = static_cast<std::int16_t>(predicted);
        state.stepIndex = static_cast<std::int8_t>(stepIndex);
    }

    // Applies a code's difference and step adaptation, looked up rather than branched on:
    // the code bits are as good as random, so branches on them mispredict half the time.
    void apply(std::uint32_t code) {
        const StepTransition& transition = kTransitions[static_cast<std::size_t>(stepIndex)];
        predicted =
            std::clamp<std::int32_t>(predicted + transition.diff[code], INT16_MIN, INT16_MAX);
        stepIndex = transition.nextIndex[code];
    }

    // The three halvings of the step decide the magnitude's bits one after another, each
    // choosing the next threshold with a mask rather than a branch (speech would mispredict
    // it); the sum of the halvings taken is the quantized difference, the same as the
    // transition row's, with no look-up to wait for. The sample moves up or down by it, each
    // clamped on its own side, and the sign picks one: the shortest wait from one sample to
    // the next, which is all that limits the encoder.
    std::uint32_t encode(std::int32_t sample) {
        const std::int32_t difference = sample - predicted;
        const std::int32_t negative = difference >> 31;  // 0 or -1
        const std::int32_t d = std::abs(difference);
        const std::int32_t half = step >> 1;
        const std::int32_t quarter = step >> 2;
        // -1 when d reaches the threshold, else 0.
        const auto reaches = [d](std::int32_t threshold) { return (threshold - 1 - d) >> 31; };
        const std::int32_t reachesStep = reaches(step);
        const std::int32_t halfThreshold = half + (reachesStep & step);
        const std::int32_t reachesHalf = reaches(halfThreshold);
        const std::int32_t quarterThreshold = halfThreshold - half + quarter + (reachesHalf & half);
        const std::int32_t reachesQuarter = reaches(quarterThreshold);
        const std::int32_t taken = (step >> 3) + quarterThreshold - quarter;
        const std::int32_t quantized = taken + (reachesQuarter & quarter);
        const std::int32_t up = std::min<std::int32_t>(predicted + quantized, INT16_MAX);
        const std::int32_t down = std::max<std::int32_t>(predicted - quantized, INT16_MIN);
        const auto magnitude = static_cast<std::uint32_t>((reachesStep & 4) | (reachesHalf & 2) |
                                                          (reachesQuarter & 1));
        const std::uint32_t code = (static_cast<std::uint32_t>(negative) & 8) | magnitude;
        const StepTransition& transition = kTransitions[static_cast<std::size_t>(stepIndex)];
        step = transition.nextStep[code];
        stepIndex = transition.nextIndex[code];
        predicted = negative != 0 ? down : up;
        return code;
    }
};

std::uint8_t packPair(std::uint32_t earlier, std::uint32_t later, NibbleOrder order) {
    return static_cast<std::uint8_t>(order == NibbleOrder::kHighFirst ? (earlier << 4) | later
                                                                      : (later << 4) | earlier);
}

}  // namespace

void encodeAdpcm(AdpcmState& state, std::span<const std::int16_t> pcm,
                 std::span<std::uint8_t> codeBytes, NibbleOrder order) {
    Registers registers(state);
    const std::size_t pairs = pcm.size() / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const auto earlier = registers.encode(pcm[2 * i]);
        const auto later = registers.encode(pcm[2 * i + 1]);
        codeBytes[i] = packPair(earlier, later, order);
    }
    if (pcm.size() % 2 != 0) {
        registers.encode(pcm.back());
    }
    registers.storeInto(state);
}

void decodeAdpcm(AdpcmState& state, std::span<const std::uint8_t> codeBytes,
                 std::span<std::int16_t> pcm, NibbleOrder order) {
    Registers registers(state);
    const unsigned earlierShift = order == NibbleOrder::kHighFirst ? 4 : 0;
    const unsigned laterShift = 4 - earlierShift;
    const std::size_t pairs = pcm.size() / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const unsigned byte = codeBytes[i];
        registers.apply((byte >> earlierShift) & 0x0Fu);
        pcm[2 * i] = static_cast<std::int16_t>(registers.predicted);
        registers.apply((byte >> laterShift) & 0x0Fu);
        pcm[2 * i + 1] = static_cast<std::int16_t>(registers.predicted);
    }
    if (pcm.size() % 2 != 0) {
        registers.apply((codeBytes[pairs] >> earlierShift) & 0x0Fu);
        pcm.back() = static_cast<std::int16_t>(registers.predicted);
    }
    registers.storeInto(state);
}

}  // namespace kinorex::voice
