#include "batch_queue.h"

#include <utility>

namespace kinorex {

bool BatchQueue::push(std::shared_ptr<const RecordBatch> batch) {
    {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return left_ || batches_.size() < kCapacity; });
        if (left_) {
            return false;
        }
        batches_.push_back(std::move(batch));
    }
    changed_.notify_all();
    return true;
}

void BatchQueue::close() {
    {
        std::lock_guard guard(lock_);
        closed_ = true;
    }
    changed_.notify_all();
}

std::shared_ptr<const RecordBatch> BatchQueue::pop() {
    std::shared_ptr<const RecordBatch> batch;
    {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return closed_ || !batches_.empty(); });
        if (batches_.empty()) {
            return nullptr;
        }
        batch = std::move(batches_.front());
        batches_.pop_front();
    }
    changed_.notify_all();
    return batch;
}

void BatchQueue::leave() {
    std::deque<std::shared_ptr<const RecordBatch>> dropped;
    {
        std::lock_guard guard(lock_);
        left_ = true;
        dropped.swap(batches_);
    }
    changed_.notify_all();
}

}  // namespace kinorex
