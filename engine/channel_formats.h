#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "avi/avi_writer.h"

namespace kinorex {

// What a channel's AVI streams look like: the codec-code tables and the stream headers and
// formats that go with them.

// Four-character code for a video codec code, none for a code not in the table.
std::optional<std::uint32_t> videoFourCc(std::int32_t codec);
// WAVEFORMATEX format tag for an audio codec code, none for a code not in the table.
std::optional<std::uint16_t> audioFormatTag(std::int32_t codec);

AviStreamHeader videoStreamHeader(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                                  std::uint32_t handler);
// BITMAPINFOHEADER.
std::array<std::byte, 40> videoFormat(std::int32_t width, std::int32_t height,
                                      std::uint32_t compression);

AviStreamHeader audioStreamHeader();
// WAVEFORMATEX: mono 16-bit at 8000 Hz whatever the tag.
std::array<std::byte, 18> audioFormat(std::uint16_t formatTag);

}  // namespace kinorex
