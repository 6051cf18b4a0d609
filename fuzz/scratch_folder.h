#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kinorex::fuzz {

// The engine takes file names in UTF-8 on every platform.
inline std::string utf8(const std::filesystem::path& path) {
    const std::u8string bytes = path.u8string();
    return {bytes.begin(), bytes.end()};
}

// A private temporary folder for the targets that need their input as a file, made once per
// process, emptied before each input and removed at exit.
class ScratchFolder {
public:
    static ScratchFolder& instance();
    ~ScratchFolder();

    // Empties the folder and writes `data` as the recording file.
    const std::filesystem::path& writeRecording(const std::uint8_t* data, std::size_t size);
    const std::filesystem::path& path() const { return path_; }

private:
    ScratchFolder();

    std::filesystem::path path_;
    std::filesystem::path recording_;
};

}  // namespace kinorex::fuzz
