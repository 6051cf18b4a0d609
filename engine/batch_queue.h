#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

#include "recording/record_batch.h"

namespace kinorex {

// Hands the walk's batches of records to one lane. It is bounded, so a walk that runs ahead
// of a slow lane waits instead of holding the recording in memory. The walk only ever waits
// for the lane and the lane only for the walk, and either side's leaving wakes the other, so
// no wait can outlast the conversion. Nothing else is locked while either side waits.
class BatchQueue {
public:
    // Four batches of 256 KB blocks are enough to absorb the lanes' uneven pace.
    static constexpr std::size_t kCapacity = 4;

    // Queues the batch, waiting while the queue is full. False, dropping the batch, once the
    // lane has left.
    bool push(std::shared_ptr<const RecordBatch> batch);
    // The walk has ended: the lane takes what is queued and then nothing.
    void close();

    // The next batch, waiting for it; nothing once the queue is closed and empty.
    std::shared_ptr<const RecordBatch> pop();
    // The lane takes no more batches: what is queued is dropped and a waiting push returns.
    void leave();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<const RecordBatch>> batches_;
    bool closed_ = false;
    bool left_ = false;
};

}  // namespace kinorex
