#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/file.h"

namespace kinorex {

// File bytes from `start` on, as one read delivered them.
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

// Where read-aheads get their blocks. Two walks of the same recording that share a source
// read the file once: the walk that reaches a block first reads it, and the other takes the
// same bytes when it gets there. Walks that move through the file alike (same record sizes,
// hence the same block starts) meet at every block. A walk that runs ahead waits once the
// other is kMaxAhead blocks behind, which keeps the memory bounded; the two finish together
// anyway. A walk that reads blocks the other never asks for only costs a second read.
class BlockSource {
public:
    // A walk joins before its first fetch and leaves when it is done, so that no one waits
    // for it any longer. join returns the walk's number for fetch and leave.
    int join();
    void leave(int walk);

    // A block from `position` with at least `count` bytes (at most kCapacity) where the file
    // has them, read through `file` unless another walk has read it already. Nothing on a
    // read error or when memory runs out.
    // The read stops short of `readableEnd`, where the walk knows the disk fails.
    std::shared_ptr<const ReadBlock> fetch(int walk, platform::File& file, std::uint64_t position,
                                           std::size_t count,
                                           std::uint64_t readableEnd = UINT64_MAX);

private:
    static constexpr std::size_t kMaxAhead = 4;

    // Read, or being read, by one walk for the others.
    struct Waiting {
        std::shared_ptr<ReadBlock> block;
        int readBy;
        bool ready = false;
        bool failed = false;
    };

    // Blocks' memory for reuse: freshly allocated memory costs page faults and cache misses.
    class Spares {
    public:
        Spares() { kept_.reserve(kMaxKept); }
        std::unique_ptr<unsigned char[]> take();
        void keep(std::unique_ptr<unsigned char[]> bytes);

    private:
        static constexpr std::size_t kMaxKept = 8;

        std::mutex lock_;
        std::vector<std::unique_ptr<unsigned char[]>> kept_;
    };

    // The block another walk read from `position`, once it is in, dropping those the other
    // read from before: nothing when there is none, its read failed or it is too short.
    std::shared_ptr<const ReadBlock> takeWaiting(int walk, std::uint64_t position,
                                                 std::size_t count,
                                                 std::unique_lock<std::mutex>& guard);
    std::size_t waitingReadBy(int walk) const;
    std::shared_ptr<ReadBlock> readBlock(int walk, platform::File& file, std::uint64_t position,
                                         std::size_t count, std::uint64_t readableEnd,
                                         std::unique_lock<std::mutex>& guard);
    std::shared_ptr<ReadBlock> newBlock();

    std::shared_ptr<Spares> spares_ = std::make_shared<Spares>();
    std::mutex lock_;
    std::condition_variable taken_;
    std::deque<Waiting> waiting_;
    int walks_ = 0;
    int nextWalk_ = 0;
};

}  // namespace kinorex
