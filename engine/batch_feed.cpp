#include "batch_feed.h"

#include <algorithm>
#include <utility>

namespace kinorex {

BatchFeed::BatchFeed(std::size_t lanes, std::function<std::shared_ptr<const RecordBatch>()> walk)
    : walk_(std::move(walk)), queues_(lanes) {}

bool BatchFeed::everyLaneHasRoom() const {
    return std::all_of(queues_.begin(), queues_.end(),
                       [](const Queue& queue) { return queue.left || queue.count < kAhead; });
}

std::shared_ptr<const RecordBatch> BatchFeed::take(std::size_t lane) {
    std::unique_lock guard(lock_);
    Queue& queue = queues_[lane];
    for (;;) {
        if (queue.count > 0) {
            auto batch = std::move(queue.slots[queue.first]);
            queue.first = (queue.first + 1) % kAhead;
            --queue.count;
            guard.unlock();
            changed_.notify_all();  // a lane may be waiting for this one to make room
            return batch;
        }
        if (ended_) {
            return nullptr;
        }
        if (!walking_ && everyLaneHasRoom()) {
            walkOn(guard);
        } else {
            changed_.wait(guard);
        }
    }
}

void BatchFeed::walkOn(std::unique_lock<std::mutex>& guard) {
    walking_ = true;
    guard.unlock();
    auto batch = walk_();
    guard.lock();
    walking_ = false;
    ended_ = batch == nullptr;
    for (Queue& queue : queues_) {
        if (batch && !queue.left) {  // every lane had room, or the walk would not have read
            queue.slots[(queue.first + queue.count) % kAhead] = batch;
            ++queue.count;
        }
    }
    changed_.notify_all();
}

void BatchFeed::leave(std::size_t lane) {
    {
        std::lock_guard guard(lock_);
        Queue& queue = queues_[lane];
        queue.left = true;
        queue.slots = {};
        queue.count = 0;
    }
    changed_.notify_all();
}

}  // namespace kinorex
