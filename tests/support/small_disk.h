#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>

#include "temp_path.h"

namespace kinorex::test {

// A folder where writing runs out after about `bytes`: a tmpfs of that size where this
// process may mount one, else each file of this process and its children is limited to
// `bytes` (RLIMIT_FSIZE). Undone when the object goes.
class SmallDisk {
public:
    explicit SmallDisk(std::uint64_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    const std::filesystem::path& path() const { return folder_.path(); }
    // What a write past the end is told: "No space left on device" or "File too large".
    std::string fullText() const;

private:
    TempPath folder_{"small-disk"};
    bool mounted_ = false;
    rlimit savedLimit_{};
    struct sigaction savedAction_ {};
};

}  // namespace kinorex::test
