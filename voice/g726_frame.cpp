#include "g726_frame.h"

#include <algorithm>

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

// The context is caller memory and may hold anything. Every field is brought into the range
// the coder itself keeps it in (the code word width follows from the type), so that a scribbled
// context gives wrong samples but never table indexes, shifts or products out of range; a state
// the coder wrote passes unchanged.
G726State loadG726State(const HiVoiceContext& context, std::int16_t type) {
    auto state = loadState<G726State>(context);
    state.sampleWidth = 2;
    state.bits = bitsOf(type);
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

}  // namespace

void resetG726(HiVoiceContext& context, std::int16_t type) {
    G726State state;
    g726Reset(state, bitsOf(type));
    storeState(context, state);
}

void encodeG726Frame(HiVoiceContext& context, std::int16_t type, std::span<const std::int16_t> pcm,
                     std::span<std::uint8_t> workPayload) {
    auto state = loadG726State(context, type);
    // The work payload past the codes is zero, so a frame whose length cuts a code word
    // carries its bits in the frame's own order.
    g726EncodeBlock(state, pcm, workPayload,
                    msbFirst(type) ? G726BitOrder::kMsbFirst : G726BitOrder::kLsbFirst);
    storeState(context, state);
}

void decodeG726Frame(HiVoiceContext& context, std::int16_t type, std::span<std::uint8_t> payload,
                     std::span<std::int16_t> pcm) {
    auto state = loadG726State(context, type);
    if (msbFirst(type)) {
        // Accepted lengths carry whole code words, so this repack always succeeds; it is done
        // in the caller's frame, which then reads as the base type's.
        g726RepackToLsbFirst(payload, bitsOf(type));
    }
    g726DecodeBlock(state, payload, pcm);
    storeState(context, state);
}

}  // namespace kinorex::voice
