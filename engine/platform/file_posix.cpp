#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <limits>

#include "platform/disk_waits_posix.h"

namespace kinorex::platform {

namespace {

int descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// Reads of recordings that had to wait for the disk. Now and then one waits
// even when the whole file is in the cache, so one is not enough to go by; a recording read
// from the disk has a wait at nearly every block.
std::atomic<int> readsThatWaited{0};
constexpr int kWaitsOfARecordingOnDisk = 4;

// Reads what the page cache holds without waiting for the disk; nothing when that would
// wait, or when the file system cannot tell.
std::optional<std::size_t> readCached(int fd, void* buffer, std::size_t count) {
    iovec piece{buffer, count};
    for (;;) {
        const ssize_t got = ::preadv2(fd, &piece, 1, -1, RWF_NOWAIT);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

}  // namespace

void noteRecordingReadWaited() {
    readsThatWaited.fetch_add(1, std::memory_order_relaxed);
}

bool recordingReadsWaitForDisk() {
    return readsThatWaited.load(std::memory_order_relaxed) >= kWaitsOfARecordingOnDisk;
}

bool File::openForSharedRead(const char* path) {
    close();
    // Non-blocking so that a FIFO given as a recording cannot hang the open; only regular
    // files are accepted, where the flag has no effect on reads.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    handle_ = fd;
    return true;
}

void File::close() {
    if (isOpen()) {
        ::close(descriptor(handle_));
        handle_ = kInvalidHandle;
    }
}

std::optional<std::size_t> File::readSome(void* buffer, std::size_t count) {
    const auto cached = readCached(descriptor(handle_), buffer, count);
    // Linux 5.9 and 5.10 may answer 0 before the end of the file (preadv2(2), BUGS): only
    // the blocking read can tell the end of the file.
    if (cached && *cached > 0) {
        return cached;
    }
    // A file system that cannot read without waiting did not wait.
    if (!cached && errno == EAGAIN) {
        noteRecordingReadWaited();
    }
    for (;;) {
        const ssize_t got = ::read(descriptor(handle_), buffer, count);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

bool File::seek(std::uint64_t offset) {
    if (!isOpen() || offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    return ::lseek(descriptor(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::optional<std::uint64_t> File::position() const {
    const off_t at = ::lseek(descriptor(handle_), 0, SEEK_CUR);
    return at < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(at));
}

std::optional<std::uint64_t> File::size() const {
    struct stat status {};
    if (!isOpen() || ::fstat(descriptor(handle_), &status) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace kinorex::platform
