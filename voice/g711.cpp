#include "g711.h"

#include <bit>

#include "voice_frame_header.h"

namespace kinorex::voice {

namespace {

// Position of the highest set bit; x > 0.
int highestBit(unsigned x) {
    return std::bit_width(x) - 1;
}

bool isAlawType(std::int16_t type) {
    return (type & 0x3F) == 1;
}

// Types 65 and 66 store each pair of codes the other way round.
std::size_t byteOrderFlip(std::int16_t type) {
    return (type & 0x40) ? 1 : 0;
}

// The law is a template argument so that each loop inlines its encoder.
template <std::uint8_t (*encode)(std::int16_t)>
void encodeCodes(const std::int16_t* pcm, std::size_t count, std::size_t flip,
                 std::uint8_t* payload) {
    for (std::size_t i = 0; i < count; ++i)
        payload[i ^ flip] = encode(pcm[i]);
}

}  // namespace

std::uint8_t encodeAlaw(std::int16_t sample) {
    int x = sample >> 3;
    int mask = 0xD5;
    if (x < 0) {
        mask = 0x55;
        x = ~x;
    }
    const int segment = x < 32 ? 0 : highestBit(static_cast<unsigned>(x)) - 4;
    const int q = (x >> (segment < 2 ? 1 : segment)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | q) ^ mask);
}

std::uint8_t encodeUlaw(std::int16_t sample) {
    int x = sample >> 2;
    int mask = 0xFF;
    if (x < 0) {
        mask = 0x7F;
        x = -x;
    }
    if (x > 8159)
        x = 8159;
    x += 33;
    const int segment = highestBit(static_cast<unsigned>(x)) - 5;
    if (segment == 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    const int q = (x >> (segment + 1)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | q) ^ mask);
}

std::size_t encodeG711Frame(std::int16_t type, std::span<const std::int16_t> pcm,
                            std::uint8_t* frame) {
    const std::size_t words = pcm.size() / 2;
    writeFrameHeader(frame, static_cast<std::uint8_t>(words));
    std::uint8_t* payload = frame + kFrameHeaderBytes;
    const std::size_t flip = byteOrderFlip(type);
    if (isAlawType(type)) {
        encodeCodes<encodeAlaw>(pcm.data(), 2 * words, flip, payload);
    } else {
        encodeCodes<encodeUlaw>(pcm.data(), 2 * words, flip, payload);
    }
    return kFrameHeaderBytes + 2 * words;
}

std::size_t decodeG711Frame(std::int16_t type, const std::uint8_t* frame, std::int16_t* pcm) {
    const std::size_t samples = 2 * framePayloadWords(frame);
    const std::uint8_t* payload = frame + kFrameHeaderBytes;
    const std::size_t flip = byteOrderFlip(type);
    const auto& table = isAlawType(type) ? kAlawDecodeTable : kUlawDecodeTable;
    for (std::size_t i = 0; i < samples; ++i)
        pcm[i] = table[payload[i ^ flip]];
    return samples;
}

}  // namespace kinorex::voice
