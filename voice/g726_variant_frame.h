#pragma once

#include <cstdint>
#include <span>

#include "hi_voice.h"

namespace kinorex::voice {

// Type 68 over the type-68 state record kept in the voice context; the signatures are those of
// the codec table.
void resetG726Variant(HiVoiceContext& context, std::int16_t type);
void encodeG726VariantFrame(HiVoiceContext& context, std::int16_t type,
                            std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload);
void decodeG726VariantFrame(HiVoiceContext& context, std::int16_t type,
                            std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
