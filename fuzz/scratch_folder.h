#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace kinorex::fuzz {

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
