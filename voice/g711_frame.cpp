#include "codec_frames.h"

#include "g711.h"

namespace kinorex::voice {
namespace {

void resetG711(HiVoiceContext& /*context*/, const CodecEntry& /*codec*/) {}

void encodeG711Frame(HiVoiceContext& /*context*/, const CodecEntry& codec,
                     std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload) {
    // The frame carries whole words only: an odd last sample has nowhere to go.
    encodeG711(codec.arrangement.law, codec.arrangement.byteOrder,
               pcm.first(pcm.size() & ~std::size_t{1}), workPayload);
}

void decodeG711Frame(HiVoiceContext& /*context*/, const CodecEntry& codec,
                     std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    decodeG711(codec.arrangement.law, codec.arrangement.byteOrder, payload, pcm);
}

}  // namespace

const CodecFunctions kG711Frames = {resetG711, encodeG711Frame, decodeG711Frame};

}  // namespace kinorex::voice
