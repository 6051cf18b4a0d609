#pragma once

#include <cstdint>
#include <span>

#include "codec_entry.h"

namespace kinorex::voice {

// Type 68 over the type-68 state record kept in the voice context; the signatures are those of
// the codec table.
void resetG726Variant(HiVoiceContext& context, const CodecEntry& codec);
void encodeG726VariantFrame(HiVoiceContext& context, const CodecEntry& codec,
                            std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload);
void decodeG726VariantFrame(HiVoiceContext& context, const CodecEntry& codec,
                            std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
