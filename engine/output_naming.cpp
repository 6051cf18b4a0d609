#include "output_naming.h"

#include <algorithm>
#include <cctype>

namespace kinorex {

// The searches run from the end of the string. Paths are UTF-8 on every platform, where a
// '/', '\' or '.' byte is never part of a multibyte character, so a byte search is a
// character search.

namespace {

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isWindowsStyle(const PathStyle& style) {
    return style.separators.size() > 1;
}

bool isAbsolute(std::string_view path, const PathStyle& style) {
    if (!path.empty() && style.separators.find(path[0]) != std::string_view::npos) {
        return true;
    }
    return isWindowsStyle(style) && path.size() >= 2 && path[1] == ':';
}

// The path the file system would resolve, as text that compares equal for equal paths.
std::string comparablePath(std::string_view path, std::string_view currentFolder,
                           const PathStyle& style) {
    std::string whole;
    if (!isAbsolute(path, style)) {
        whole = currentFolder;
        whole += style.separator;
    }
    whole += path;

    std::vector<std::string_view> parts;
    std::string_view rest = whole;
    while (!rest.empty()) {
        const auto end = std::min(rest.find_first_of(style.separators), rest.size());
        const auto part = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part == "..") {
            if (parts.size() > 1) {  // a drive or the root stays
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string comparable;
    for (const auto part : parts) {
        comparable += '/';
        comparable += part;
    }
    if (isWindowsStyle(style)) {
        for (auto& c : comparable) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return comparable;
}

}  // namespace

std::string_view fileNameOf(std::string_view path, const PathStyle& style) {
    const auto separator = path.find_last_of(style.separators);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string defaultOutputFolder(std::string_view sourcePath, const PathStyle& style) {
    const auto separator = sourcePath.find_last_of(style.separators);
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(sourcePath.substr(0, separator));
}

std::string outputPrefix(std::string_view sourcePath, std::string_view outputFolder,
                         const PathStyle& style) {
    const auto fileName = fileNameOf(sourcePath, style);
    const auto dot = fileName.rfind('.');
    const auto baseName =
        dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot);

    std::string prefix(outputFolder);
    if (prefix.empty() || style.separators.find(prefix.back()) == std::string_view::npos) {
        prefix += style.separator;
    }
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

std::optional<int> channelPartNumber(std::string_view fileName, std::string_view firstPartName) {
    if (fileName == firstPartName) {
        return 1;
    }
    const auto dot = firstPartName.rfind('.');
    const auto stem = firstPartName.substr(0, dot);
    const auto extension =
        dot == std::string_view::npos ? std::string_view{} : firstPartName.substr(dot);
    constexpr std::string_view kPart = "_part";
    if (!fileName.starts_with(stem) || !fileName.ends_with(extension) ||
        fileName.size() < stem.size() + kPart.size() + extension.size()) {
        return std::nullopt;
    }
    auto middle = fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
    if (!middle.starts_with(kPart)) {
        return std::nullopt;
    }
    middle.remove_prefix(kPart.size());
    // Only the names channelPartName composes: no leading zero, part 2 and up.
    if (!isDigits(middle) || middle[0] == '0' || middle.size() > 9) {
        return std::nullopt;
    }
    const int part = std::stoi(std::string(middle));
    return part >= 2 ? std::optional<int>(part) : std::nullopt;
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

std::vector<OutputConflict> findOutputConflicts(std::span<const PlannedSource> batch,
                                                std::string_view currentFolder,
                                                std::string_view extension,
                                                const PathStyle& style) {
    struct Resolved {
        std::string source;
        std::string prefix;
    };
    std::vector<Resolved> resolved;
    for (const auto& planned : batch) {
        resolved.push_back(
            {comparablePath(planned.source, currentFolder, style),
             comparablePath(outputPrefix(planned.source, planned.outputFolder, style),
                            currentFolder, style)});
    }
    std::vector<OutputConflict> conflicts;
    std::vector<bool> dropped(batch.size(), false);
    for (std::size_t later = 0; later < batch.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            if (dropped[earlier] || resolved[earlier].prefix != resolved[later].prefix) {
                continue;
            }
            if (resolved[earlier].source == resolved[later].source) {
                dropped[later] = true;
                conflicts.push_back(
                    {OutputConflict::Kind::SameSource, earlier, later,
                     batch[later].source + " is named twice; it is converted once"});
            } else {
                const auto prefix =
                    outputPrefix(batch[earlier].source, batch[earlier].outputFolder, style);
                conflicts.push_back({OutputConflict::Kind::SameNames, earlier, later,
                                     batch[earlier].source + " and " + batch[later].source +
                                         " would both write " + prefix + "_N." +
                                         std::string(extension)});
            }
            break;
        }
    }
    return conflicts;
}

}  // namespace kinorex
