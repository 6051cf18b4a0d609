#pragma once

#include "codec_entry.h"

// The frame functions of each codec, defined in <codec>_frame.cpp over the codec's core; the
// codec table hands them the entry of the type they run for.
namespace kinorex::voice {

// G.711, stateless, so the context holds nothing but its type.
extern const CodecFunctions kG711Frames;

// IMA ADPCM, with or without state words and a leading sample, over one ADPCM state kept in
// the voice context.
extern const CodecFunctions kAdpcmFrames;

// G.726 at 16..40 kbit/s, code words LSB- or MSB-first, over the G.726 state kept in the voice
// context.
extern const CodecFunctions kG726Frames;

// Type 68 over the type-68 state record kept in the voice context.
extern const CodecFunctions kG726VariantFrames;

}  // namespace kinorex::voice
