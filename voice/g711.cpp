#include "g711.h"

#include <bit>

namespace kinorex::voice {

namespace {

// Position of the highest set bit; x > 0.
int highestBit(int x) {
    return std::bit_width(static_cast<unsigned>(x)) - 1;
}

std::size_t indexFlip(G711ByteOrder order) {
    return order == G711ByteOrder::kWordBytesExchanged ? 1 : 0;
}

// The law is a template argument so that each loop inlines its encoder.
template <std::uint8_t (*encode)(std::int16_t)>
void encodeCodes(std::span<const std::int16_t> pcm, std::size_t flip, std::uint8_t* codes) {
    for (std::size_t i = 0; i < pcm.size(); ++i)
        codes[i ^ flip] = encode(pcm[i]);
}

}  // namespace

std::uint8_t encodeAlaw(std::int16_t sample) {
    int x = sample >> 3;
    int mask = 0xD5;
    if (x < 0) {
        mask = 0x55;
        x = ~x;
    }
    const int segment = x < 32 ? 0 : highestBit(x) - 4;
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
    const int segment = highestBit(x) - 5;
    if (segment == 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    const int q = (x >> (segment + 1)) & 0x0F;
    return static_cast<std::uint8_t>(((segment << 4) | q) ^ mask);
}

void encodeG711(G711Law law, G711ByteOrder order, std::span<const std::int16_t> pcm,
                std::span<std::uint8_t> codeBytes) {
    if (law == G711Law::kAlaw) {
        encodeCodes<encodeAlaw>(pcm, indexFlip(order), codeBytes.data());
    } else {
        encodeCodes<encodeUlaw>(pcm, indexFlip(order), codeBytes.data());
    }
}

void decodeG711(G711Law law, G711ByteOrder order, std::span<const std::uint8_t> codeBytes,
                std::span<std::int16_t> pcm) {
    const auto& table = law == G711Law::kAlaw ? kAlawDecodeTable : kUlawDecodeTable;
    const std::size_t flip = indexFlip(order);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = table[codeBytes[i ^ flip]];
}

}  // namespace kinorex::voice
