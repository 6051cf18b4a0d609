// Four frames interleaved in plain code. One frame's samples wait on each other (the step index
// of one code picks the difference of the next); four independent frames give the processor
// four such chains to overlap, which hides most of that wait on any machine.

#include <utility>

#include "adpcm_lanes.h"
#include "adpcm_tables.h"

namespace kinorex::voice {
namespace {

// One lane's working copy, kept in registers for the whole run.
struct LaneRegisters {
    const std::uint8_t* codes;
    std::int16_t* pcm;
    std::int32_t predicted;
    std::int32_t stepIndex;

    explicit LaneRegisters(const AdpcmLane& lane)
        : codes(lane.codes),
          pcm(lane.pcm),
          predicted(lane.state.predicted),
          stepIndex(lane.state.stepIndex) {}

    template <NibbleOrder kOrder>
    [[gnu::always_inline]] void decodeByte(std::size_t i) {
        constexpr unsigned kEarlierShift = kOrder == NibbleOrder::kHighFirst ? 4 : 0;
        const unsigned byte = codes[i];
        applyAdpcmCode(predicted, stepIndex, (byte >> kEarlierShift) & 0x0Fu);
        pcm[2 * i] = static_cast<std::int16_t>(predicted);
        applyAdpcmCode(predicted, stepIndex, (byte >> (4 - kEarlierShift)) & 0x0Fu);
        pcm[2 * i + 1] = static_cast<std::int16_t>(predicted);
    }
};

// The lanes are named one by one (a pack rather than a loop over an array), so that the
// compiler keeps each in registers of its own.
template <NibbleOrder kOrder, std::size_t... kLane>
void decodeInterleaved(std::span<AdpcmLane> lanes, std::size_t samples,
                       std::index_sequence<kLane...>) {
    LaneRegisters registers[] = {LaneRegisters(lanes[kLane])...};
    for (std::size_t i = 0; i < samples / 2; ++i) {
        (registers[kLane].template decodeByte<kOrder>(i), ...);
    }
    (advanceLane(lanes[kLane], samples,
                 {static_cast<std::int16_t>(registers[kLane].predicted),
                  static_cast<std::int8_t>(registers[kLane].stepIndex)}),
     ...);
}

}  // namespace

void decodeAdpcmLanesPortable(std::span<AdpcmLane> lanes, std::size_t samples, NibbleOrder order) {
    constexpr auto kLanes = std::make_index_sequence<kAdpcmPortableKernel.lanes>();
    if (order == NibbleOrder::kHighFirst) {
        decodeInterleaved<NibbleOrder::kHighFirst>(lanes, samples, kLanes);
    } else {
        decodeInterleaved<NibbleOrder::kLowFirst>(lanes, samples, kLanes);
    }
}

}  // namespace kinorex::voice
