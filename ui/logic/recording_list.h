#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kinorex {

// The recordings the next Start converts, in the order the user gave them, each once.
class RecordingList {
public:
    // A file is taken as it is; a folder gives the recordings directly inside it.
    void add(const std::vector<std::string>& paths);
    void clear() { paths_.clear(); }

    const std::vector<std::string>& paths() const { return paths_; }
    bool empty() const { return paths_.empty(); }

private:
    void addFile(std::string path);

    std::vector<std::string> paths_;
};

// The ".h264" files directly inside a folder (any case of the extension), in name order;
// subfolders are not entered. Empty when `path` is not a readable folder.
std::vector<std::string> recordingsInFolder(const std::string& path);

bool isFolder(const std::string& path);

// What the source field shows: the one recording's path, or "12 recordings in D:\export"
// (without the folder when they lie in different ones).
std::string sourceFieldText(const std::vector<std::string>& recordings);

// The source field's tooltip: the recordings one a line when there are several, at most
// kToolTipLines of them; empty for one.
inline constexpr std::size_t kToolTipLines = 20;
std::string sourceFieldToolTip(const std::vector<std::string>& recordings);

}  // namespace kinorex
