#include "codec_frames.h"

#include <algorithm>

#include "g726_variant.h"

namespace kinorex::voice {
namespace {

// The context is caller memory and may hold anything. The 16-bit fields wrap by design; the
// scale factors and the speed control are brought into the range the coder keeps them in, so
// that a scribbled context gives wrong samples but never a shift out of range. A state the
// coder wrote passes unchanged.
G726VariantState loadVariantState(const HiVoiceContext& context) {
    auto state = loadState<G726VariantState>(context);
    state.ap = std::clamp<std::int16_t>(state.ap, 0, 1023);
    state.yu = std::clamp<std::int16_t>(state.yu, 544, 5120);
    state.yl = std::clamp(state.yl, 544 << 6, 5120 << 6);
    return state;
}

void resetG726Variant(HiVoiceContext& context, const CodecEntry& /*codec*/) {
    storeState(context, G726VariantState{});
}

void encodeG726VariantFrame(HiVoiceContext& context, const CodecEntry& /*codec*/,
                            std::span<const std::int16_t> pcm,
                            std::span<std::uint8_t> workPayload) {
    auto state = loadVariantState(context);
    encodeG726Variant(state, pcm, workPayload);
    storeState(context, state);
}

void decodeG726VariantFrame(HiVoiceContext& context, const CodecEntry& /*codec*/,
                            std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    auto state = loadVariantState(context);
    decodeG726Variant(state, payload, pcm);
    storeState(context, state);
}

}  // namespace

const CodecFunctions kG726VariantFrames = {resetG726Variant, encodeG726VariantFrame,
                                           decodeG726VariantFrame};

}  // namespace kinorex::voice
