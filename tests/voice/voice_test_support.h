#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hi_voice.h"

namespace kinorex::voice::testing {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

// A voice frame with the given payload; the length byte defaults to the payload's words.
inline Bytes makeFrame(const Bytes& payload, int length = -1, std::uint16_t mark = 0x0100) {
    Bytes frame = {static_cast<std::uint8_t>(mark & 0xFF), static_cast<std::uint8_t>(mark >> 8),
                   static_cast<std::uint8_t>(length < 0 ? payload.size() / 2 : length), 0};
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

inline HiVoiceContext encoderFor(int type) {
    HiVoiceContext context{};
    EXPECT_EQ(HI_VOICE_EncReset(&context, type), HI_VOICE_OK);
    return context;
}

inline HiVoiceContext decoderFor(int type) {
    HiVoiceContext context{};
    EXPECT_EQ(HI_VOICE_DecReset(&context, type), HI_VOICE_OK);
    return context;
}

// Encodes one frame and returns exactly the bytes the encoder reports through the length byte.
inline Bytes encodeFrame(HiVoiceContext& context, const Samples& pcm) {
    Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
    EXPECT_EQ(HI_VOICE_EncodeFrame(&context, pcm.data(), frame.data(),
                                   static_cast<std::int16_t>(pcm.size())),
              HI_VOICE_OK);
    frame.resize(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{frame[2]});
    return frame;
}

// Decodes one frame, expecting success, and returns the samples.
inline Samples decodeFrame(HiVoiceContext& context, Bytes frame) {
    Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = -1;
    EXPECT_EQ(HI_VOICE_DecodeFrame(&context, frame.data(), pcm.data(), &count), HI_VOICE_OK);
    pcm.resize(static_cast<std::size_t>(std::max<std::int16_t>(count, 0)));
    return pcm;
}

}  // namespace kinorex::voice::testing
