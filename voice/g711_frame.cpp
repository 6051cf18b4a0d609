#include "g711_frame.h"

#include "g711.h"

namespace kinorex::voice {
namespace {

G711Law lawOf(std::int16_t type) {
    return (type & 0x3F) == HI_VOICE_TYPE_G711_ALAW ? G711Law::kAlaw : G711Law::kUlaw;
}

G711ByteOrder byteOrderOf(std::int16_t type) {
    return (type & 0x40) ? G711ByteOrder::kWordBytesExchanged : G711ByteOrder::kSampleOrder;
}

}  // namespace

void resetG711(HiVoiceContext& /*context*/, std::int16_t /*type*/) {}

void encodeG711Frame(HiVoiceContext& /*context*/, std::int16_t type,
                     std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload) {
    // The frame carries whole words only: an odd last sample has nowhere to go.
    encodeG711(lawOf(type), byteOrderOf(type), pcm.first(pcm.size() & ~std::size_t{1}),
               workPayload);
}

void decodeG711Frame(HiVoiceContext& /*context*/, std::int16_t type,
                     std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    decodeG711(lawOf(type), byteOrderOf(type), payload, pcm);
}

}  // namespace kinorex::voice
