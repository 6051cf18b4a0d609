#include "output_format.h"

#include <array>

namespace kinorex {

namespace {

constexpr std::array kFormats{OutputFormat::Avi, OutputFormat::Mp4, OutputFormat::Mkv};

}  // namespace

std::string_view formatName(OutputFormat format) {
    switch (format) {
        case OutputFormat::Mp4:
            return "mp4";
        case OutputFormat::Mkv:
            return "mkv";
        case OutputFormat::Avi:
            break;
    }
    return "avi";
}

std::optional<OutputFormat> parseOutputFormat(std::string_view name) {
    for (const OutputFormat format : kFormats) {
        if (formatName(format) == name) {
            return format;
        }
    }
    return std::nullopt;
}

bool formatAvailable(OutputFormat format) {
#ifdef KINOREX_WITH_FFMPEG
    (void)format;
    return true;
#else
    return format == OutputFormat::Avi;
#endif
}

}  // namespace kinorex
