#include "g726_variant_frame.h"

#include "codec_entry.h"
#include "g726_variant.h"

namespace kinorex::voice {

void resetG726Variant(HiVoiceContext& context, std::int16_t /*type*/) {
    storeState(context, G726VariantState{});
}

void encodeG726VariantFrame(HiVoiceContext& context, std::int16_t /*type*/,
                            std::span<const std::int16_t> pcm,
                            std::span<std::uint8_t> workPayload) {
    auto state = loadState<G726VariantState>(context);
    encodeG726Variant(state, pcm, workPayload);
    storeState(context, state);
}

void decodeG726VariantFrame(HiVoiceContext& context, std::int16_t /*type*/,
                            std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    auto state = loadState<G726VariantState>(context);
    decodeG726Variant(state, payload, pcm);
    storeState(context, state);
}

}  // namespace kinorex::voice
