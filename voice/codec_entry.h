#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

#include "adpcm.h"
#include "g711.h"
#include "g726.h"
#include "hi_voice.h"

namespace kinorex::voice {

// How a type spends its payload: optional state words first, then bitsPerSample of code per
// sample. The length word an encoder writes and the sample count a decoder reports both follow
// from it, so the two directions cannot disagree.
struct FrameLayout {
    int bitsPerSample;
    int stateWords = 0;      // payload words ahead of the codes
    int leadingSamples = 0;  // samples carried in those state words rather than as codes

    constexpr int lengthFor(int samples) const {
        return (samples - leadingSamples) * bitsPerSample / 16 + stateWords;
    }
    constexpr int samplesIn(int length) const {
        return (length - stateWords) * 16 / bitsPerSample + leadingSamples;
    }
};

// The length bytes a decoder accepts: minimum..maximum in steps of step.
struct LengthRule {
    int minimum;
    int maximum;
    int step;

    constexpr bool accepts(int length) const {
        return length >= minimum && length <= maximum && length % step == 0;
    }
};

// How a type arranges its codes, beyond its layout's bits per sample. Types that share a codec
// differ only here and in their layout; each codec's frame functions read the fields that
// concern it.
struct CodeArrangement {
    G711Law law = G711Law::kAlaw;
    G711ByteOrder byteOrder = G711ByteOrder::kSampleOrder;
    G726BitOrder bitOrder = G726BitOrder::kLsbFirst;
    NibbleOrder nibbleOrder = NibbleOrder::kHighFirst;
};

struct CodecEntry;

// Initialises the codec state in context for codec; the interface stores the type afterwards.
using ResetFunction = void (*)(HiVoiceContext& context, const CodecEntry& codec);

// Encodes every sample of pcm against the context's state and writes the payload from the
// start of workPayload (960 bytes). Only the first 2 * layout.lengthFor(pcm.size()) bytes are
// carried in the frame; the interface writes the header.
using EncodeFunction = void (*)(HiVoiceContext& context, const CodecEntry& codec,
                                std::span<const std::int16_t> pcm,
                                std::span<std::uint8_t> workPayload);

// Decodes a payload whose length the rule accepted into pcm, which holds exactly
// layout.samplesIn(L) samples. The payload is the caller's frame.
using DecodeFunction = void (*)(HiVoiceContext& context, const CodecEntry& codec,
                                std::span<std::uint8_t> payload, std::span<std::int16_t> pcm);

// A codec's three frame functions; types that share a codec share them.
struct CodecFunctions {
    ResetFunction reset;
    EncodeFunction encode;
    DecodeFunction decode;
};

struct CodecEntry {
    std::int16_t type;
    const CodecFunctions& functions;
    FrameLayout layout;
    LengthRule decodeLengths;
    CodeArrangement arrangement = {};
};

// Whether a voice frame's header carries the frame mark; only the low two bits of its second
// byte are checked.
inline bool hasFrameMark(const std::uint8_t* frame) {
    return (frame[1] & 0x03) == (HI_VOICE_FRAME_MARK >> 8);
}

// The entry for a codec type, or nullptr when no codec handles it.
const CodecEntry* findCodec(std::int16_t type);

// Codec states are copied in and out of the context's byte storage rather than aliased, so
// a context zero-filled or copied by a C caller is always a valid object.
template <typename State>
State loadState(const HiVoiceContext& context) {
    static_assert(std::is_trivially_copyable_v<State>);
    static_assert(sizeof(State) <= sizeof(context.state));
    State state;
    std::memcpy(static_cast<void*>(&state), &context.state, sizeof state);
    return state;
}

template <typename State>
void storeState(HiVoiceContext& context, const State& state) {
    static_assert(std::is_trivially_copyable_v<State>);
    static_assert(sizeof(State) <= sizeof(context.state));
    std::memcpy(&context.state, &state, sizeof state);
}

}  // namespace kinorex::voice
