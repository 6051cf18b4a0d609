#include "output_format.h"

#include <array>

#ifdef KINOREX_WITH_FFMPEG
#include "platform/muxed_module.h"
#endif

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

bool formatBuiltIn(OutputFormat format) {
#ifdef KINOREX_WITH_FFMPEG
    (void)format;
    return true;
#else
    return format == OutputFormat::Avi;
#endif
}

std::optional<std::string> formatUnavailable(OutputFormat format) {
    if (!formatBuiltIn(format)) {
        return "this build writes AVI files only";
    }
#ifdef KINOREX_WITH_FFMPEG
    if (format != OutputFormat::Avi && !muxedModule().create) {
        return "cannot write MP4 or Matroska files: " + muxedModule().problem;
    }
#endif
    return std::nullopt;
}

bool formatAvailable(OutputFormat format) {
    return !formatUnavailable(format);
}

}  // namespace kinorex
