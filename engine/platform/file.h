#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kinorex::platform {

// A read-only file that other programs may read at the same time: recordings are often
// still being copied or played while they are converted. Offsets and sizes are 64-bit
// because recordings grow past 4 GB. The platform's part is in file_posix.cpp and
// file_win32.cpp.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing regular file, closing whatever this object held before.
    bool openForSharedRead(const char* path);
    void close();
    bool isOpen() const { return handle_ != kInvalidHandle; }

    // Reads up to `count` bytes at the current position. Delivers fewer only at the end of
    // the file; returns nothing on a read error.
    std::optional<std::size_t> read(void* buffer, std::size_t count);
    bool seek(std::uint64_t offset);
    std::optional<std::uint64_t> size() const;

    // For tests of how a conversion survives a failing disk: from now on, every read of any
    // file that touches bytes [from, to) fails as a bad sector's does. (0, 0) ends it.
    static void failReadsForTesting(std::uint64_t from, std::uint64_t to);

private:
    // The position the next read starts at; only asked for while reads are made to fail.
    std::optional<std::uint64_t> position() const;
    bool readFailsForTesting(std::size_t count) const;

    // One read of the platform: may deliver fewer bytes than asked for anywhere, and 0
    // only at the end of the file; nothing on an error.
    std::optional<std::size_t> readSome(void* buffer, std::size_t count);

    // Wide enough for a POSIX descriptor and a Win32 HANDLE alike; -1 is invalid for both.
    using NativeHandle = std::intptr_t;
    static constexpr NativeHandle kInvalidHandle = -1;

    NativeHandle handle_ = kInvalidHandle;
};

}  // namespace kinorex::platform
