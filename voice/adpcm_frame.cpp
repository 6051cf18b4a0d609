#include "codec_frames.h"

#include <algorithm>

#include "adpcm.h"

namespace kinorex::voice {
namespace {

constexpr std::size_t kStateBytes = 4;  // predicted sample word, step index word

// Types with state words start every frame with the state it was encoded from, so a decoder can
// join a stream at any frame.
void writeStateWords(std::span<std::uint8_t> payload, std::int16_t first, std::int8_t stepIndex) {
    const auto word = static_cast<std::uint16_t>(first);
    payload[0] = static_cast<std::uint8_t>(word & 0xFF);
    payload[1] = static_cast<std::uint8_t>(word >> 8);
    payload[2] = static_cast<std::uint8_t>(stepIndex);
    payload[3] = 0;
}

std::int16_t firstStateWord(std::span<const std::uint8_t> payload) {
    return static_cast<std::int16_t>(payload[0] | (payload[1] << 8));
}

// Only the low byte of the step-index word counts; an index the encoder never writes is
// clamped so that it cannot reach outside the step-size table.
std::int8_t stepIndexWord(std::span<const std::uint8_t> payload) {
    return static_cast<std::int8_t>(std::min<int>(payload[2], kAdpcmMaxStepIndex));
}

void resetAdpcm(HiVoiceContext& context, const CodecEntry& /*codec*/) {
    storeState(context, AdpcmState{});
}

void encodeAdpcmFrame(HiVoiceContext& context, const CodecEntry& codec,
                      std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload) {
    auto state = loadState<AdpcmState>(context);
    auto samples = pcm;
    auto codes = workPayload;
    if (codec.layout.leadingSamples > 0) {
        state.predicted = pcm[0];
        samples = pcm.subspan(1);
    }
    if (codec.layout.stateWords > 0) {
        writeStateWords(workPayload, state.predicted, state.stepIndex);
        codes = workPayload.subspan(kStateBytes);
    }
    encodeAdpcm(state, samples, codes, codec.arrangement.nibbleOrder);
    storeState(context, state);
}

void decodeAdpcmFrame(HiVoiceContext& context, const CodecEntry& codec,
                      std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    auto state = loadState<AdpcmState>(context);
    auto codes = payload;
    auto samples = pcm;
    if (codec.layout.stateWords > 0) {
        state = {firstStateWord(payload), stepIndexWord(payload)};
        codes = payload.subspan(kStateBytes);
    }
    if (codec.layout.leadingSamples > 0) {
        pcm[0] = state.predicted;
        samples = pcm.subspan(1);
    }
    decodeAdpcm(state, codes, samples, codec.arrangement.nibbleOrder);
    storeState(context, state);
}

}  // namespace

const CodecFunctions kAdpcmFrames = {resetAdpcm, encodeAdpcmFrame, decodeAdpcmFrame};

}  // namespace kinorex::voice
