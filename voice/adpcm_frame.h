#pragma once

#include <cstdint>
#include <span>

#include "codec_entry.h"

namespace kinorex::voice {

// The three ADPCM frame layouts (types 3, 35 and 67) over one IMA ADPCM state kept in the
// voice context; the signatures are those of the codec table.
void resetAdpcm(HiVoiceContext& context, const CodecEntry& codec);
void encodeAdpcmFrame(HiVoiceContext& context, const CodecEntry& codec,
                      std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload);
void decodeAdpcmFrame(HiVoiceContext& context, const CodecEntry& codec,
                      std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
