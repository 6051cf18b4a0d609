#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/file.h"
#include "recording/read_block.h"

namespace kinorex {

// Sequential reading of a file in large blocks. A frame walk asks for a 24-byte header and
// a payload of a few kilobytes at a time; serving those from one large read keeps the walk
// close to the speed of plain sequential reading. The position is the walker's own (bytes
// handed out), not the operating system's, which runs ahead by up to one block.
class ReadAhead {
public:
    static constexpr std::size_t kBlockSize = ReadBlock::kCapacity;

    explicit ReadAhead(platform::File& file) : file_(file) {}
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next `count` bytes (at most kBlockSize) in one piece, without moving past them;
    // valid until the next call. Fewer only at the end of the file; nothing on a read error.
    std::optional<std::span<const unsigned char>> peek(std::size_t count);
    // What the block holds from the position on, without reading: what a walk can take in
    // one go before the next peek reads again.
    std::span<const unsigned char> held() const { return heldAt(position_); }
    // What the block holds from `position` on, without reading; empty where it holds nothing.
    // The walk asks this several times for every record.
    std::span<const unsigned char> heldAt(std::uint64_t position) const {
        if (!holds(position, 0)) {
            return {};
        }
        const auto offset = static_cast<std::size_t>(position - block_->start);
        return {block_->bytes.get() + offset, block_->length - offset};
    }
    void skip(std::size_t count) { position_ += count; }

    // Copies `count` bytes of any size and moves past them; what the block does not hold
    // goes straight into `buffer`. Delivers fewer only at the end of the file; returns
    // nothing on a read error.
    std::optional<std::size_t> read(void* buffer, std::size_t count);

    void seek(std::uint64_t position) { position_ = position; }
    // Blocks read from now on stop short of `end`: bytes there are known to be unreadable.
    void readNoFurtherThan(std::uint64_t end) { readableEnd_ = end; }
    std::uint64_t position() const { return position_; }

    // The block that the spans handed out lie in; holding it keeps them valid past the next
    // call.
    std::shared_ptr<const ReadBlock> block() const { return block_; }

    // Forgets the buffered bytes and lets go of the block, for when the file is closed or
    // another one is opened.
    void reset();

private:
    bool holds(std::uint64_t position, std::size_t count) const {
        return block_ && position >= block_->start &&
               position + count <= block_->start + block_->length;
    }
    // Reads a block from the position holding `count` bytes where the file has them.
    bool fill(std::size_t count);

    platform::File& file_;
    BlockSource source_;
    std::shared_ptr<const ReadBlock> block_;
    std::uint64_t position_ = 0;
    std::uint64_t readableEnd_ = UINT64_MAX;
};

}  // namespace kinorex
