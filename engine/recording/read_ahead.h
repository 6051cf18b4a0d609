#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

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

    // The next `count` bytes (at most kBlockSize) in one piece, without moving past them;
    // valid until the next call. Fewer only at the end of the file; nothing on a read error.
    std::optional<std::span<const unsigned char>> peek(std::size_t count);
    void skip(std::size_t count) { position_ += count; }

    // Copies `count` bytes of any size and moves past them; what the block does not hold
    // goes straight into `buffer`. Delivers fewer only at the end of the file; returns
    // nothing on a read error.
    std::optional<std::size_t> read(void* buffer, std::size_t count);

    void seek(std::uint64_t position) { position_ = position; }
    std::uint64_t position() const { return position_; }

    // Forgets the buffered bytes and frees the block, for when the file is closed or another
    // one is opened.
    void reset();

private:
    bool fill();

    platform::File& file_;
    std::unique_ptr<unsigned char[]> block_;
    std::uint64_t blockStart_ = 0;  // file offset of block_[0]
    std::size_t blockLength_ = 0;   // bytes of block_ that hold file data
    std::uint64_t position_ = 0;
};

}  // namespace kinorex
