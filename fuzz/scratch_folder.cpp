#include "scratch_folder.h"

#include <unistd.h>

#include <fstream>
#include <string>

#include "fuzz_input.h"

namespace kinorex::fuzz {

ScratchFolder& ScratchFolder::instance() {
    static ScratchFolder folder;
    return folder;
}

ScratchFolder::ScratchFolder()
    : path_(std::filesystem::temp_directory_path() /
            ("kinorex-fuzz-" + std::to_string(::getpid()))),
      recording_(path_ / "rec.h264") {}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

const std::filesystem::path& ScratchFolder::writeRecording(const std::uint8_t* data,
                                                           std::size_t size) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::ofstream out(recording_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    require(out.good());
    return recording_;
}

}  // namespace kinorex::fuzz
