// Every codec type the voice library knows, and the only place that says so.
//
// Adding a codec:
//  1. Keep the codec core in its own files (e.g. g726.{h,cpp}) with its own state struct.
//  2. Write three functions with the signatures of codec_entry.h (ResetFunction,
//     EncodeFunction, DecodeFunction) in <codec>_frame.cpp, next to adpcm_frame.cpp, and
//     define them there as the codec's CodecFunctions, declared in codec_frames.h. They get
//     the type's table entry and take its parameters from it. They load the state with
//     loadState<YourState>(context) and store it back with storeState(context, state); the
//     state must be trivially copyable and at most sizeof(HiVoiceContext::state) bytes. They
//     get checked arguments only: a sample count of 1..481 and a payload whose length the
//     rule below accepted.
//  3. Add one line per codec type below: its functions, its layout (payload bits per sample,
//     state words, samples held in those words), the length bytes its decoder accepts
//     {minimum, maximum, step} and, where types share a codec, how the type arranges its
//     codes (law, byte, bit or nibble order). A codec that decodes whole blocks of 80 samples
//     accepts the lengths of 80, 160, ... 480 samples, e.g. for G.711 (8 bits per sample):
//         CodecEntry{HI_VOICE_TYPE_G711_ALAW, kG711Frames, FrameLayout{8},
//                    LengthRule{40, 240, 40}, {.law = G711Law::kAlaw}},
//  4. Add the sources to voice/CMakeLists.txt.
// The argument checks, status codes, headers and transcoder need no change.

#include <algorithm>
#include <array>

#include "codec_entry.h"
#include "codec_frames.h"

namespace kinorex::voice {
namespace {

// ADPCM decoders share one bound, from type 35's count 4 * (L - 2) + 1 <= 481. Types 3 and 35
// also need their two state words, so a length byte of 1 is refused.
constexpr LengthRule kAdpcmWithStateLengths{2, 122, 1};
constexpr LengthRule kAdpcmStatelessLengths{1, 122, 1};

// G.711 decoders take frames of 80, 160, ... 480 samples.
constexpr LengthRule kG711Lengths{40, 240, 40};

// G.726 decoders take frames of 80, 160, ... 480 samples, 5 * bits payload words per 80.
constexpr LengthRule g726Lengths(int bits) {
    return {5 * bits, 30 * bits, 5 * bits};
}

constexpr CodeArrangement kAlaw{.law = G711Law::kAlaw};
constexpr CodeArrangement kUlaw{.law = G711Law::kUlaw};
constexpr CodeArrangement kAlawSwapped{.law = G711Law::kAlaw,
                                       .byteOrder = G711ByteOrder::kWordBytesExchanged};
constexpr CodeArrangement kUlawSwapped{.law = G711Law::kUlaw,
                                       .byteOrder = G711ByteOrder::kWordBytesExchanged};
constexpr CodeArrangement kMsbFirst{.bitOrder = G726BitOrder::kMsbFirst};
constexpr CodeArrangement kLowNibbleFirst{.nibbleOrder = NibbleOrder::kLowFirst};

constexpr std::array kCodecs = {
    CodecEntry{HI_VOICE_TYPE_G711_ALAW, kG711Frames, FrameLayout{8}, kG711Lengths, kAlaw},
    CodecEntry{HI_VOICE_TYPE_G711_ULAW, kG711Frames, FrameLayout{8}, kG711Lengths, kUlaw},
    CodecEntry{HI_VOICE_TYPE_ADPCM, kAdpcmFrames, FrameLayout{4, 2, 0}, kAdpcmWithStateLengths},
    CodecEntry{HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE, kAdpcmFrames, FrameLayout{4, 2, 1},
               kAdpcmWithStateLengths, kLowNibbleFirst},
    CodecEntry{HI_VOICE_TYPE_ADPCM_STATELESS, kAdpcmFrames, FrameLayout{4, 0, 0},
               kAdpcmStatelessLengths},
    CodecEntry{HI_VOICE_TYPE_G726_16K, kG726Frames, FrameLayout{2}, g726Lengths(2)},
    CodecEntry{HI_VOICE_TYPE_G726_24K, kG726Frames, FrameLayout{3}, g726Lengths(3)},
    CodecEntry{HI_VOICE_TYPE_G726_32K, kG726Frames, FrameLayout{4}, g726Lengths(4)},
    CodecEntry{HI_VOICE_TYPE_G726_40K, kG726Frames, FrameLayout{5}, g726Lengths(5)},
    CodecEntry{HI_VOICE_TYPE_G726_16K_MSB, kG726Frames, FrameLayout{2}, g726Lengths(2), kMsbFirst},
    CodecEntry{HI_VOICE_TYPE_G726_24K_MSB, kG726Frames, FrameLayout{3}, g726Lengths(3), kMsbFirst},
    CodecEntry{HI_VOICE_TYPE_G726_32K_MSB, kG726Frames, FrameLayout{4}, g726Lengths(4), kMsbFirst},
    CodecEntry{HI_VOICE_TYPE_G726_40K_MSB, kG726Frames, FrameLayout{5}, g726Lengths(5), kMsbFirst},
    CodecEntry{HI_VOICE_TYPE_G711_ALAW_SWAPPED, kG711Frames, FrameLayout{8}, kG711Lengths,
               kAlawSwapped},
    CodecEntry{HI_VOICE_TYPE_G711_ULAW_SWAPPED, kG711Frames, FrameLayout{8}, kG711Lengths,
               kUlawSwapped},
    CodecEntry{HI_VOICE_TYPE_G726_16K_VARIANT, kG726VariantFrames, FrameLayout{2}, g726Lengths(2)},
};

}  // namespace

const CodecEntry* findCodec(std::int16_t type) {
    const auto found = std::ranges::find(kCodecs, type, &CodecEntry::type);
    return found == kCodecs.end() ? nullptr : &*found;
}

}  // namespace kinorex::voice
