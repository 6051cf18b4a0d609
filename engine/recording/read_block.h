#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/file.h"

namespace kinorex {

// File bytes from `start` on, as one read delivered them. Never changed once read, so the
// walk and the lanes it hands records to can hold the same block for as long as each needs.
struct ReadBlock {
    // Room for the largest record a walk takes in one piece.
    static constexpr std::size_t kCapacity = std::size_t{1} << 20;
    // What one read asks for when the walk needs no more: a block that small stays in the
    // processor's cache from being read to being parsed and copied out, and is used again
    // for the next read while it is still there.
    static constexpr std::size_t kUsualRead = std::size_t{1} << 18;

    std::unique_ptr<unsigned char[]> bytes;
    std::uint64_t start = 0;
    std::size_t length = 0;
};

// Where read-aheads get their blocks. A block's memory is used again once its last holder
// lets go of it: freshly allocated memory costs page faults and cache misses.
class BlockSource {
public:
    // A block from `position` with at least `count` bytes (at most kCapacity) where the file
    // has them. Nothing on a read error or when memory runs out. The read stops short of
    // `readableEnd`, where the walk knows the disk fails.
    std::shared_ptr<const ReadBlock> read(platform::File& file, std::uint64_t position,
                                          std::size_t count,
                                          std::uint64_t readableEnd = UINT64_MAX);

private:
    class Spares {
    public:
        Spares() { kept_.reserve(kMaxKept); }
        std::unique_ptr<unsigned char[]> take();
        void keep(std::unique_ptr<unsigned char[]> bytes);

    private:
        // As many blocks as a conversion holds at once: the batches queued for the lanes, the
        // one each lane works on and the one the walk reads into.
        static constexpr std::size_t kMaxKept = 8;

        std::mutex lock_;
        std::vector<std::unique_ptr<unsigned char[]>> kept_;
    };

    std::shared_ptr<ReadBlock> newBlock();

    // Shared with the blocks handed out, which may outlive the source.
    std::shared_ptr<Spares> spares_ = std::make_shared<Spares>();
};

}  // namespace kinorex
