#include "codec_frames.h"

#include <algorithm>

#include "g726.h"

namespace kinorex::voice {
namespace {

// The context is caller memory and may hold anything. Every field is brought into the range
// the coder itself keeps it in (the code word width follows from the codec), so that a scribbled
// context gives wrong samples but never table indexes, shifts or products out of range; a state
// the coder wrote passes unchanged.
G726State loadG726State(const HiVoiceContext& context, const CodecEntry& codec) {
    auto state = loadState<G726State>(context);
    state.sampleWidth = 2;
    state.bits = codec.layout.bitsPerSample;
    state.a2 = std::clamp(state.a2, -12288, 12288);
    state.a1 = std::clamp(state.a1, -(15360 - state.a2), 15360 - state.a2);
    state.ap = std::clamp(state.ap, 0, 1023);
    for (auto& b : state.b) {
        b = static_cast<std::int16_t>(b);
    }
    state.dml = std::clamp(state.dml, 0, 16383);
    state.dms = std::clamp(state.dms, 0, 4095);
    for (auto& dq : state.dq) {
        dq &= 2047;  // the 11-bit floating format
    }
    state.sr1 &= 2047;
    state.sr2 &= 2047;
    state.yl = std::clamp(state.yl, 544 << 6, 5120 << 6);
    state.yu = std::clamp(state.yu, 544, 5120);
    return state;
}

void resetG726(HiVoiceContext& context, const CodecEntry& codec) {
    G726State state;
    g726Reset(state, codec.layout.bitsPerSample);
    storeState(context, state);
}

void encodeG726Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<const std::int16_t> pcm, std::span<std::uint8_t> workPayload) {
    auto state = loadG726State(context, codec);
    // The work payload past the codes is zero, so a frame whose length cuts a code word
    // carries its bits in the frame's own order.
    g726EncodeBlock(state, pcm, workPayload, codec.arrangement.bitOrder);
    storeState(context, state);
}

void decodeG726Frame(HiVoiceContext& context, const CodecEntry& codec,
                     std::span<std::uint8_t> payload, std::span<std::int16_t> pcm) {
    auto state = loadG726State(context, codec);
    if (codec.arrangement.bitOrder == G726BitOrder::kMsbFirst) {
        // Accepted lengths carry whole code words, so this repack always succeeds; it is done
        // in the caller's frame, which then reads as the base type's.
        g726RepackToLsbFirst(payload, state.bits);
    }
    g726DecodeBlock(state, payload, pcm);
    storeState(context, state);
}

}  // namespace

const CodecFunctions kG726Frames = {resetG726, encodeG726Frame, decodeG726Frame};

}  // namespace kinorex::voice
