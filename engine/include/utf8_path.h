#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kinorex {

// Kinorex keeps file names in UTF-8 on every platform; std::filesystem takes a plain string
// in Windows' ANSI code page, and UTF-8 only as char8_t.
inline std::filesystem::path toFsPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string fromFsPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace kinorex
