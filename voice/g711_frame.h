#pragma once

#include <cstdint>
#include <span>

#include "codec_entry.h"

namespace kinorex::voice {

// G.711 frame layouts: types 1 (A-law) and 2 (mu-law) in sample order, 65 and 66 with the bytes
// of every payload word exchanged. Stateless, so the context holds nothing but its type; the
// signatures are those of the codec table.
void resetG711(HiVoiceContext& context, const CodecEntry& codec);
void encodeG711Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload);
void decodeG711Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
