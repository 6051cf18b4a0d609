#include "channel_formats.h"

#include "little_endian.h"

namespace kinorex {
namespace {

// Fills a fixed-size little-endian structure field by field.
template <std::size_t N>
class LittleEndianFields {
public:
    LittleEndianFields& u16(std::uint32_t value) { return put(value, 2); }
    LittleEndianFields& u32(std::uint32_t value) { return put(value, 4); }
    const std::array<std::byte, N>& bytes() const { return bytes_; }

private:
    LittleEndianFields& put(std::uint32_t value, std::size_t size) {
        storeLe(bytes_.data() + at_, value, size);
        at_ += size;
        return *this;
    }

    std::array<std::byte, N> bytes_{};
    std::size_t at_ = 0;
};

// Sizes wrap as the 32-bit unsigned fields they end up in.
std::uint32_t imageSize(std::int32_t width, std::int32_t height) {
    return static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 3;
}

}  // namespace

std::optional<std::uint32_t> videoFourCc(std::int32_t codec) {
    switch (codec) {
        case 0:
        case 10:
            return fourCc("XVID");
        case 2:
            return fourCc("H263");
        case 3:
            return fourCc("H264");
        default:
            return std::nullopt;
    }
}

std::optional<std::uint16_t> audioFormatTag(std::int32_t codec) {
    switch (codec) {
        case 0:
            return 1;  // PCM
        case 1:
        case 2:
            return 85;  // MPEG layer 3
        case 20:
        case 21:
        case 22:
        case 28:
            return 0xA280;
        default:
            return std::nullopt;
    }
}

AviStreamHeader videoStreamHeader(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                                  std::uint32_t handler) {
    AviStreamHeader header;
    header.type = fourCc("vids");
    header.handler = handler;
    header.flags = 1;  // AVISTREAMINFO_DISABLED, as the files have always carried it
    header.scale = 1000;
    header.rate = static_cast<std::uint32_t>(frameRate) * 1000;
    header.suggestedBufferSize = imageSize(width, height);
    header.sampleSize = 0;
    header.frameRight = static_cast<std::int16_t>(width);
    header.frameBottom = static_cast<std::int16_t>(height);
    return header;
}

std::array<std::byte, 40> videoFormat(std::int32_t width, std::int32_t height,
                                      std::uint32_t compression) {
    return LittleEndianFields<40>()
        .u32(40)                                  // biSize
        .u32(static_cast<std::uint32_t>(width))   // biWidth
        .u32(static_cast<std::uint32_t>(height))  // biHeight
        .u16(1)                                   // biPlanes
        .u16(24)                                  // biBitCount
        .u32(compression)                         // biCompression
        .u32(imageSize(width, height))            // biSizeImage
        .u32(0)                                   // biXPelsPerMeter
        .u32(0)                                   // biYPelsPerMeter
        .u32(0)                                   // biClrUsed
        .u32(0)                                   // biClrImportant
        .bytes();
}

AviStreamHeader audioStreamHeader() {
    AviStreamHeader header;
    header.type = fourCc("auds");
    header.handler = 0;
    header.flags = 0;
    header.scale = 2;
    header.rate = 16000;
    header.suggestedBufferSize = 8000;
    header.sampleSize = 2;
    return header;
}

std::array<std::byte, 18> audioFormat(std::uint16_t formatTag) {
    return LittleEndianFields<18>()
        .u16(formatTag)  // wFormatTag
        .u16(1)          // nChannels
        .u32(8000)       // nSamplesPerSec
        .u32(16000)      // nAvgBytesPerSec
        .u16(2)          // nBlockAlign
        .u16(16)         // wBitsPerSample
        .u16(0)          // cbSize
        .bytes();
}

}  // namespace kinorex
