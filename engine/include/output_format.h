#pragma once

#include <optional>
#include <string_view>

namespace kinorex {

// The container a conversion writes each channel into. AVI keeps the PCM and splits a
// channel into parts under 2 GiB; MP4 (H.264 with AAC) plays in browsers and on phones;
// Matroska keeps the PCM unchanged. MP4 and Matroska need a build with FFmpeg.
enum class OutputFormat { Avi, Mp4, Mkv };

// "avi", "mp4" or "mkv": the file name extension and the name on the command line.
std::string_view formatName(OutputFormat format);
std::optional<OutputFormat> parseOutputFormat(std::string_view name);

// Whether this build can write the format: AVI always, the others with FFmpeg.
bool formatAvailable(OutputFormat format);

}  // namespace kinorex
