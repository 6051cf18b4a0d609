#pragma once

#include <cstdint>
#include <span>

#include "codec_entry.h"

namespace kinorex::voice {

// G.726 at 16..40 kbit/s (types 4..7, code words LSB-first, and 36..39, the same code words
// MSB-first) over the G.726 state kept in the voice context; the signatures are those of the
// codec table.
void resetG726(HiVoiceContext& context, const CodecEntry& codec);
void encodeG726Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload);
void decodeG726Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
