#pragma once

#include <cstddef>
#include <cstdint>

namespace kinorex::voice {

// Every voice frame opens with the frame mark 0x0100 and a length word counting 16-bit payload
// words, both little-endian; the payload follows at kFrameHeaderBytes.
inline constexpr std::size_t kFrameHeaderBytes = 4;

inline void writeFrameHeader(std::uint8_t* frame, std::uint8_t payloadWords) {
    frame[0] = 0x00;
    frame[1] = 0x01;
    frame[2] = payloadWords;
    frame[3] = 0x00;
}

// Only the low byte of the length word counts when a frame is read back.
inline std::size_t framePayloadWords(const std::uint8_t* frame) {
    return frame[2];
}

}  // namespace kinorex::voice
