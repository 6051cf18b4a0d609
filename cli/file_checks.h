#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kinorex::cli {

// One implementation per platform (file_checks_posix.cpp, file_checks_win32.cpp).

// Why a source cannot be read (such as "No such file or directory"), or
// nothing when it can be opened for reading.
std::optional<std::string> unreadableSourceReason(const std::string& path);

// Why no AVI file can be written into a folder, or nothing when it exists
// and is writable.
std::optional<std::string> unwritableFolderReason(const std::string& folder);

// The current folder, from which relative paths are resolved; empty when it cannot be had.
std::string currentFolder();

// Size of a file in bytes; 0 when it cannot be read.
std::uint64_t fileSize(const std::string& path);

}  // namespace kinorex::cli
