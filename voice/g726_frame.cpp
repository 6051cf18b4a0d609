#include "g726_frame.h"

#include "codec_entry.h"
#include "g726.h"

namespace kinorex::voice {
namespace {

constexpr std::int16_t kMsbFirstFamily = 0x20;

// Types 4..7 and 36..39 code 2..5 bits per sample.
int bitsOf(std::int16_t type) {
    return (type & 0x1F) - 2;
}

bool msbFirst(std::int16_t type) {
    return (type & kMsbFirstFamily) != 0;
}

}  // namespace

void resetG726(HiVoiceContext& context, std::int16_t type) {
    G726State state;
    g726Reset(state, bitsOf(type));
    storeState(context, state);
}

void encodeG726Frame(HiVoiceContext& context, std::int16_t type, std::span<const std::int16_t> pcm,
                     std::span<std::uint8_t> workPayload) {
    auto state = loadState<G726State>(context);
    // The work payload past the codes is zero, so a frame whose length cuts a code word
    // carries its bits in the frame's own order.
    g726EncodeBlock(state, pcm, workPayload,
                    msbFirst(type) ? G726BitOrder::kMsbFirst : G726BitOrder::kLsbFirst);
    storeState(context, state);
}

void decodeG726Frame(HiVoiceContext& context, std::int16_t type, std::span<std::uint8_t> payload,
                     std::span<std::int16_t> pcm) {
    auto state = loadState<G726State>(context);
    if (msbFirst(type)) {
        // Accepted lengths carry whole code words, so this repack always succeeds; it is done
        // in the caller's frame, which then reads as the base type's.
        g726RepackToLsbFirst(payload, bitsOf(type));
    }
    g726DecodeBlock(state, payload, pcm);
    storeState(context, state);
}

}  // namespace kinorex::voice
