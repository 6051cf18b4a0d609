#include "adpcm.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "adpcm_tables.h"

namespace kinorex::voice {
namespace {

// The working copy of the state, kept in plain ints for the length of one run of codes.
struct Registers {
    std::int32_t predicted;
    std::int32_t stepIndex;
    std::int32_t step;  // kAdpcmStepSizes[stepIndex], kept up to date by the encoder

    explicit Registers(const AdpcmState& state)
        : predicted(state.predicted),
          stepIndex(std::clamp<std::int32_t>(state.stepIndex, 0, kAdpcmMaxStepIndex)),
          step(kAdpcmStepSizes[static_cast<std::size_t>(stepIndex)]) {}

    void storeInto(AdpcmState& state) const {
        state.predicted = static_cast<std::int16_t>(predicted);
        state.stepIndex = static_cast<std::int8_t>(stepIndex);
    }

    void apply(std::uint32_t code) { applyAdpcmCode(predicted, stepIndex, code); }

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
        const AdpcmStepTransition& transition =
            kAdpcmTransitions[static_cast<std::size_t>(stepIndex)];
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
