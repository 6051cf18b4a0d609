#include "output_naming.h"

namespace kinorex {

// The searches run from the end of the string. Paths are UTF-8 on every platform, where a
// '/', '\' or '.' byte is never part of a multibyte character, so a byte search is a
// character search.

std::string defaultOutputFolder(std::string_view sourcePath, const PathStyle& style) {
    const auto separator = sourcePath.find_last_of(style.separators);
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(sourcePath.substr(0, separator));
}

std::string outputPrefix(std::string_view sourcePath, std::string_view outputFolder,
                         const PathStyle& style) {
    const auto separator = sourcePath.find_last_of(style.separators);
    const auto fileName =
        separator == std::string_view::npos ? sourcePath : sourcePath.substr(separator + 1);
    const auto dot = fileName.rfind('.');
    const auto baseName =
        dot == std::string_view::npos ? std::string_view{} : fileName.substr(0, dot);

    std::string prefix(outputFolder);
    prefix += style.separator;
    prefix += baseName;
    return prefix;
}

std::string channelPartName(std::string_view prefix, int channelNumber, int part,
                            std::string_view extension) {
    std::string name(prefix);
    name += '_';
    name += std::to_string(channelNumber);
    if (part > 1) {
        name += "_part";
        name += std::to_string(part);
    }
    name += '.';
    name += extension;
    return name;
}

bool fitsOutputName(std::string_view name) {
    return name.size() + 1 <= kMaxOutputNameBytes;
}

std::optional<std::string> channelFileName(std::string_view prefix, int channelNumber,
                                           std::string_view extension) {
    auto name = channelPartName(prefix, channelNumber, 1, extension);
    if (!fitsOutputName(name)) {
        return std::nullopt;
    }
    return name;
}

}  // namespace kinorex
