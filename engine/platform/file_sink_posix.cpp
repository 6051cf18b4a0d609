#include "platform/file_sink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/disk_waits_posix.h"

namespace kinorex {
namespace {

class PosixFileSink final : public FileSink {
public:
    explicit PosixFileSink(int fd) : fd_(fd) {}
    ~PosixFileSink() override { close(); }

    int writeAt(std::uint64_t offset, std::span<const std::span<const std::byte>> pieces) override {
        std::vector<iovec> left;
        left.reserve(pieces.size());
        for (auto piece : pieces) {
            if (!piece.empty()) {
                left.push_back({const_cast<std::byte*>(piece.data()), piece.size()});
            }
        }
        // pwritev may stop short (signals, nearly full disk); go on until done or refused.
        std::size_t first = 0;
        while (first < left.size()) {
            int count = static_cast<int>(std::min<std::size_t>(left.size() - first, IOV_MAX));
            ssize_t written = ::pwritev(fd_, &left[first], count, static_cast<off_t>(offset));
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (written == 0) {
                return EIO;
            }
            offset += static_cast<std::uint64_t>(written);
            releaseWritten(offset);
            auto rest = static_cast<std::size_t>(written);
            while (first < left.size() && rest >= left[first].iov_len) {
                rest -= left[first].iov_len;
                ++first;
            }
            if (rest > 0) {
                left[first].iov_base = static_cast<char*>(left[first].iov_base) + rest;
                left[first].iov_len -= rest;
            }
        }
        return 0;
    }

    int truncate(std::uint64_t size) override {
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
    }

    int close() override {
        if (fd_ < 0) {
            return 0;
        }
        int result = ::close(fd_) == 0 ? 0 : errno;
        fd_ = -1;
        return result;
    }

private:
    // A conversion writes more than the recording holds. Left to the kernel, all of it would
    // wait as dirty pages until the end (and a `sync` then takes as long again) while pushing
    // other files out of the cache. So while the recording comes from the disk, what was
    // written goes there too, every few megabytes, and pages already there leave the cache.
    // The window trails the end of the file, so that pages still being written at one call are
    // dropped by a later one.
    void releaseWritten(std::uint64_t end) {
        constexpr std::uint64_t kStep = std::uint64_t{4} << 20;
        constexpr std::uint64_t kWindow = 2 * kStep;
        if (end < released_ + kStep || !platform::recordingReadsWaitForDisk()) {
            return;
        }
        released_ = end;
        const std::uint64_t start = end > kWindow ? end - kWindow : 0;
        ::posix_fadvise(fd_, static_cast<off_t>(start), static_cast<off_t>(end - start),
                        POSIX_FADV_DONTNEED);
    }

    int fd_;
    std::uint64_t released_ = 0;
};

}  // namespace

int createFileSink(const char* path, std::unique_ptr<FileSink>& sink) {
    // The old file goes first, so a file still open elsewhere is not rewritten under its
    // reader. Only files: a device or directory of that name is never removed.
    struct stat existing;
    if (::lstat(path, &existing) == 0 && (S_ISREG(existing.st_mode) || S_ISLNK(existing.st_mode))) {
        ::unlink(path);
    }
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    sink = std::make_unique<PosixFileSink>(fd);
    return 0;
}

int replaceFile(const char* from, const char* to) {
    return std::rename(from, to) == 0 ? 0 : errno;
}

}  // namespace kinorex
