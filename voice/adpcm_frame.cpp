#include "codec_frames.h"

#include "adpcm.h"
#include "adpcm_state_words.h"

namespace kinorex::voice {
namespace {

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
        writeAdpcmStateWords(workPayload.data(), state);
        codes = workPayload.subspan(kAdpcmStateWordBytes);
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
        state = readAdpcmStateWords(payload.data());
        codes = payload.subspan(kAdpcmStateWordBytes);
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
