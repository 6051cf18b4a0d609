#pragma once

#include <cstdint>

#include "fuzz_input.h"
#include "hi_voice.h"

namespace kinorex::fuzz {

// Every codec type the library knows, and two it does not, so that the fuzzer reaches each
// with one input byte.
inline constexpr std::int16_t kCodecTypes[] = {1,  2,  3,  4,  5,  6,  7,  35, 36,
                                               37, 38, 39, 65, 66, 67, 68, 0,  33};

inline std::int16_t codecTypeFrom(FuzzInput& input) {
    return kCodecTypes[input.byte() % std::size(kCodecTypes)];
}

// A context is caller memory: after its reset, a length byte says how many leading bytes of
// its state the input overwrites with whatever it likes.
inline void scribbleOnState(HiVoiceContext& context, FuzzInput& input) {
    const std::size_t count = std::min<std::size_t>(input.byte(), sizeof context.state.bytes);
    input.fill({context.state.bytes, count});
}

}  // namespace kinorex::fuzz
