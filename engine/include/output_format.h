#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kinorex {

// The container a conversion writes each channel into. AVI keeps the PCM and splits a
// channel into parts under 2 GiB; MP4 (H.264 with AAC) plays in browsers and on phones;
// Matroska keeps the PCM unchanged. MP4 and Matroska need a build with FFmpeg.
enum class OutputFormat { Avi, Mp4, Mkv };

// "avi", "mp4" or "mkv": the file name extension and the name on the command line.
std::string_view formatName(OutputFormat format);
std::optional<OutputFormat> parseOutputFormat(std::string_view name);

// Whether this build has the format at all: AVI always, the others where built with FFmpeg.
// Loads nothing, so a dialog can list the formats without paying for FFmpeg.
bool formatBuiltIn(OutputFormat format);

// Why the format cannot be written here, or nothing when it can. On Linux the first question
// about MP4 or Matroska loads the FFmpeg libraries, which a run writing AVI never maps; the
// answer then tells whether they loaded.
std::optional<std::string> formatUnavailable(OutputFormat format);
bool formatAvailable(OutputFormat format);

}  // namespace kinorex
