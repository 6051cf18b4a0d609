#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/file.h"

namespace kinorex {

// Sequential reading of a file in large blocks. A frame walk asks for a 24-byte header and
// a payload of a few kilobytes at a time; serving those from one large read keeps the walk
// close to the speed of plain sequential reading. The position is the walker's own (bytes
// handed out), not the operating system's, which runs ahead by up to one block.
class ReadAhead {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    explicit ReadAhead(platform::File& file) : file_(file) {}

    // Copies up to `count` bytes from the current position and moves past them. Delivers
    // fewer only at the end of the file; returns nothing on a read error, having moved past
    // whatever it delivered before the error.
    std::optional<std::size_t> read(void* buffer, std::size_t count);

    void seek(std::uint64_t position) { position_ = position; }
    std::uint64_t position() const { return position_; }

    // Forgets the buffered bytes and frees the block, for when the file is closed or another
    // one is opened.
    void reset();

private:
    bool fill();
    std::size_t copyBuffered(unsigned char* out, std::size_t count);

    platform::File& file_;
    std::unique_ptr<unsigned char[]> block_;
    std::uint64_t blockStart_ = 0;  // file offset of block_[0]
    std::size_t blockLength_ = 0;   // bytes of block_ that hold file data
    std::uint64_t position_ = 0;
};

}  // namespace kinorex
