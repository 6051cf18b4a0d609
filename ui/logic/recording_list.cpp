#include "recording_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "output_naming.h"
#include "utf8_path.h"

namespace kinorex {

namespace {

bool hasRecordingExtension(const std::filesystem::path& path) {
    std::string extension = fromFsPath(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".h264";
}

}  // namespace

void RecordingList::add(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        if (isFolder(path)) {
            for (auto& file : recordingsInFolder(path)) {
                addFile(std::move(file));
            }
        } else {
            addFile(path);
        }
    }
}

void RecordingList::addFile(std::string path) {
    if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end()) {
        paths_.push_back(std::move(path));
    }
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(toFsPath(path), error);
}

std::vector<std::string> recordingsInFolder(const std::string& path) {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(toFsPath(path), error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (entry->is_regular_file(typeError) && hasRecordingExtension(entry->path())) {
            found.push_back(fromFsPath(entry->path()));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string sourceFieldText(const std::vector<std::string>& recordings) {
    if (recordings.size() <= 1) {
        return recordings.empty() ? std::string() : recordings.front();
    }
    const std::string folder = defaultOutputFolder(recordings.front());
    const bool oneFolder = std::all_of(recordings.begin(), recordings.end(), [&](const auto& r) {
        return defaultOutputFolder(r) == folder;
    });
    std::string text = std::to_string(recordings.size()) + " recordings";
    if (oneFolder && !folder.empty()) {
        text += " in " + folder;
    }
    return text;
}

std::string sourceFieldToolTip(const std::vector<std::string>& recordings) {
    if (recordings.size() <= 1) {
        return {};
    }
    std::string text;
    const std::size_t shown = std::min(recordings.size(), kToolTipLines);
    for (std::size_t i = 0; i < shown; ++i) {
        text += (i ? "\n" : "") + recordings[i];
    }
    if (shown < recordings.size()) {
        text += "\nand " + std::to_string(recordings.size() - shown) + " more";
    }
    return text;
}

}  // namespace kinorex
