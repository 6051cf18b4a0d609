#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kinorex {

// Where the AVI writer's bytes go. Writes name their offset, so a failed write can be
// rolled back by truncating and the next write still lands where it belongs; tests swap
// in sinks that fill up or discard. Errors are errno values on every platform; the Windows
// sink translates its system's codes (platform/file_sink_posix.cpp, _win32.cpp).
class FileSink {
public:
    virtual ~FileSink() = default;

    // Writes the pieces one after another from offset. Returns 0, or an errno value
    // (part of the bytes may then be on disk).
    virtual int writeAt(std::uint64_t offset,
                        std::span<const std::span<const std::byte>> pieces) = 0;
    // Cuts the file to size bytes. Returns 0 or an errno value.
    virtual int truncate(std::uint64_t size) = 0;
    // Returns 0 or an errno value; the sink is closed either way.
    virtual int close() = 0;
};

// Replaces any file at path by a new, empty one. Returns 0 and sets sink, or an errno value.
int createFileSink(const char* path, std::unique_ptr<FileSink>& sink);

// Puts the file at `from` in the place of `to` in one step, replacing a file there: a
// reader sees the old file or the new one, never a part of either. Both in one folder.
// Returns 0 or an errno value.
int replaceFile(const char* from, const char* to);

}  // namespace kinorex
