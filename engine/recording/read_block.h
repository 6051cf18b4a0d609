#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/file.h"

namespace kinorex {

// File bytes from `start` on, as one read delivered them.
struct ReadBlock {
    static constexpr std::size_t kCapacity = std::size_t{1} << 20;

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

    // The block from `position`, read through `file` unless another walk has read it already.
    // Nothing on a read error or when memory runs out.
    std::shared_ptr<const ReadBlock> fetch(int walk, platform::File& file, std::uint64_t position);

private:
    static constexpr std::size_t kMaxAhead = 4;

    // Read, or being read, by one walk for the others.
    struct Waiting {
        std::shared_ptr<ReadBlock> block;
        int readBy;
        bool ready = false;
        bool failed = false;
    };

    // The block another walk read from `position`, once it is in, dropping those the other
    // read from before: nothing when there is none or its read failed.
    std::shared_ptr<const ReadBlock> takeWaiting(int walk, std::uint64_t position,
                                                 std::unique_lock<std::mutex>& guard);
    std::size_t waitingReadBy(int walk) const;
    std::shared_ptr<ReadBlock> readBlock(int walk, platform::File& file, std::uint64_t position,
                                         std::unique_lock<std::mutex>& guard);

    std::mutex lock_;
    std::condition_variable taken_;
    std::deque<Waiting> waiting_;
    int walks_ = 0;
    int nextWalk_ = 0;
};

}  // namespace kinorex
