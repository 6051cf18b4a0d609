#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "recording/record_batch.h"

namespace kinorex {

// Hands the batches of one walk through a recording to every lane of a conversion, in file
// order, each batch read and judged once. The walk is pulled by the lanes: a lane that has run
// out of batches reads the next one itself, unless a lane is kAhead batches behind, which
// bounds the memory. So the walk costs no thread of its own, and the lane with less work to do
// does the reading, which keeps both cores busy when the lanes' work differs.
//
// A lane waits only while another lane reads, or for a lane that is kAhead batches behind to
// take one; either ends with that lane's next step or its leaving. Nothing is locked while a
// lane reads or waits.
class BatchFeed {
public:
    static constexpr std::size_t kAhead = 4;

    // `lanes` lanes, numbered from 0. `walk` gives the walk's next batch, or nothing once the
    // walk has ended; it must not throw, and runs on the thread of whichever lane asks.
    BatchFeed(std::size_t lanes, std::function<std::shared_ptr<const RecordBatch>()> walk);

    // The lane's next batch, reading it if need be; nothing once the walk has ended and the
    // lane has had every batch.
    std::shared_ptr<const RecordBatch> take(std::size_t lane);
    // The lane takes no more: its batches are dropped and the others no longer wait for it.
    void leave(std::size_t lane);

private:
    // A lane's batches: a ring that needs no memory while the lanes wait for each other.
    struct Queue {
        std::array<std::shared_ptr<const RecordBatch>, kAhead> slots;
        std::size_t first = 0;
        std::size_t count = 0;
        bool left = false;
    };

    bool everyLaneHasRoom() const;
    // Reads the next batch without the lock and hands it to every lane still there.
    void walkOn(std::unique_lock<std::mutex>& guard);

    std::function<std::shared_ptr<const RecordBatch>()> walk_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Queue> queues_;
    bool walking_ = false;
    bool ended_ = false;
};

}  // namespace kinorex
