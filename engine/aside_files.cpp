#include "aside_files.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

#include "output_naming.h"
#include "platform/process.h"
#include "utf8_path.h"

namespace kinorex {

namespace {

constexpr std::string_view kAsideSuffix = ".kinorex-partial";

struct SplitPath {
    std::string_view folder;  // with its trailing separator; empty for the current folder
    std::string_view name;
};

SplitPath splitPath(std::string_view path) {
    const auto name = fileNameOf(path);
    return {path.substr(0, path.size() - name.size()), name};
}

// The entries of a folder, as far as it can be read: what is not listed is only left in
// place. Listed first and removed afterwards, as a folder changing under its reader may
// list an entry twice or not at all.
std::vector<std::string> namesIn(std::string_view folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? toFsPath(".") : toFsPath(folder),
                                                error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        names.push_back(fromFsPath(entries->path().filename()));
    }
    return names;
}

// The process that wrote a hidden file for one of the channel's names, or nothing when
// `name` is no such file.
std::optional<std::uint32_t> asideWriter(std::string_view name, std::string_view firstPartName) {
    if (!name.starts_with('.') || !name.ends_with(kAsideSuffix)) {
        return std::nullopt;
    }
    name.remove_prefix(1);
    name.remove_suffix(kAsideSuffix.size());
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || !channelPartNumber(name.substr(0, dot), firstPartName)) {
        return std::nullopt;
    }
    const auto number = name.substr(dot + 1);
    std::uint32_t process = 0;
    const auto [end, status] =
        std::from_chars(number.data(), number.data() + number.size(), process);
    if (number.empty() || status != std::errc{} || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return process;
}

}  // namespace

std::string asidePath(std::string_view finalPath) {
    const auto [folder, name] = splitPath(finalPath);
    std::string path(folder);
    path += '.';
    path += name;
    path += '.';
    path += std::to_string(platform::currentProcessId());
    path += kAsideSuffix;
    return path;
}

void removeStaleAsideFiles(std::string_view firstPartPath) {
    const auto [folder, firstName] = splitPath(firstPartPath);
    const auto self = platform::currentProcessId();
    for (const auto& name : namesIn(folder)) {
        const auto writer = asideWriter(name, firstName);
        if (writer && *writer != self && !platform::processIsRunning(*writer)) {
            removeFile(std::string(folder) + name);
        }
    }
}

void removePartsBeyond(std::string_view firstPartPath, int partsWritten) {
    const auto [folder, firstName] = splitPath(firstPartPath);
    for (const auto& name : namesIn(folder)) {
        if (const auto part = channelPartNumber(name, firstName); part && *part > partsWritten) {
            removeFile(std::string(folder) + name);
        }
    }
}

bool pathExists(std::string_view path) {
    std::error_code error;
    const auto type = std::filesystem::symlink_status(toFsPath(path), error).type();
    return type != std::filesystem::file_type::not_found &&
           type != std::filesystem::file_type::none;
}

void removeFile(std::string_view path) {
    std::error_code error;
    const auto target = toFsPath(path);
    // Only files: a folder of that name is never touched.
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(target, error))) {
        std::filesystem::remove(target, error);
    }
}

}  // namespace kinorex
