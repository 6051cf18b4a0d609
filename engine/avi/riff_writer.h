#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "platform/file_sink.h"

namespace kinorex {

// Four-character code as it lies in a little-endian RIFF file.
constexpr std::uint32_t fourCc(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

// Leaves the bytes a resize adds as they are, for a buffer whose new bytes are copied
// over at once: zeroing them first would touch every byte of a conversion twice.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

// Bytes a chunk with this payload takes in the file: header, payload, pad to even.
constexpr std::uint64_t riffChunkSpan(std::uint64_t payloadSize) {
    return 8 + payloadSize + (payloadSize & 1);
}

// Writes a RIFF file front to back through a block buffer, so the file sees one system
// write per block rather than one per chunk. Knows tags, sizes and padding, nothing of what
// the tags mean.
//
// Data chunks are all-or-nothing: writeChunk either takes the whole chunk or leaves the
// file as it was. A block that fails to reach the file is cut off again and kept, to be
// tried once more with the next flush, so the file always ends on a chunk boundary.
class RiffWriter {
public:
    // Small enough that the blocks of sixteen files being filled at once stay in the
    // processor's cache until they are written (a conversion then spends a third less time
    // copying), large enough to keep the system calls few.
    static constexpr std::size_t kBlockSize = 1 << 18;

    explicit RiffWriter(std::unique_ptr<FileSink> file);

    // Logical end of the file: bytes on disk plus bytes still in the buffer.
    std::uint64_t position() const { return committed_ + buffer_.size(); }
    // Bytes known to be on disk.
    std::uint64_t committed() const { return committed_; }

    // Header building. These only fill the buffer and cannot fail.
    void putU16(std::uint16_t value);
    void putU32(std::uint32_t value);
    void putBytes(std::span<const std::byte> bytes);
    // Starts a chunk (or, with a list type, a LIST or RIFF) with a placeholder size and
    // returns its offset for endTag.
    std::uint64_t startTag(std::uint32_t id);
    std::uint64_t startList(std::uint32_t id, std::uint32_t listType);
    // Pads the tag to even and sets its size. Returns 0 or an errno value.
    int endTag(std::uint64_t tagStart);

    // One whole chunk. Returns 0 or an errno value; on failure nothing of it is in the file.
    int writeChunk(std::uint32_t id, std::span<const std::byte> payload);
    // Overwrites 4 bytes, in the buffer or on disk. Returns 0 or an errno value.
    int patchU32(std::uint64_t offset, std::uint32_t value);
    // Sends the buffer to the file. On failure the file is cut back and the buffer kept.
    int flush();
    // Gives up on what the buffer holds, after a flush that cannot succeed.
    void dropBuffer() { buffer_.clear(); }
    // Flushes, cuts the file at its logical end and closes it. Returns 0 or an errno value.
    int close();

private:
    // Appends the low size bytes of value.
    void putLe(std::uint32_t value, std::size_t size);
    // Writes at the committed end; on failure cuts the file back to it.
    int writeCommitted(std::span<const std::span<const std::byte>> pieces);

    std::unique_ptr<FileSink> file_;
    std::vector<std::byte, UninitialisedAllocator<std::byte>> buffer_;
    std::uint64_t committed_ = 0;
};

}  // namespace kinorex
