#include "small_disk.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace kinorex::test {

SmallDisk::SmallDisk(std::uint64_t bytes) {
    std::filesystem::create_directories(path());
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (mounted_) {
        return;
    }
    // A write past the limit then fails with EFBIG instead of killing the process.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &savedAction_);
    ::getrlimit(RLIMIT_FSIZE, &savedLimit_);
    rlimit small = savedLimit_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        ::umount2(path().c_str(), MNT_DETACH);
        return;
    }
    ::setrlimit(RLIMIT_FSIZE, &savedLimit_);
    ::sigaction(SIGXFSZ, &savedAction_, nullptr);
}

std::string SmallDisk::fullText() const {
    return std::strerror(mounted_ ? ENOSPC : EFBIG);
}

}  // namespace kinorex::test
