#include "recording/read_block.h"

#include <algorithm>
#include <new>

namespace kinorex {

int BlockSource::join() {
    std::lock_guard guard(lock_);
    ++walks_;
    return nextWalk_++;
}

void BlockSource::leave(int walk) {
    {
        std::lock_guard guard(lock_);
        --walks_;
        std::erase_if(waiting_, [walk](const Waiting& waiting) { return waiting.readBy != walk; });
    }
    taken_.notify_all();
}

std::size_t BlockSource::waitingReadBy(int walk) const {
    return static_cast<std::size_t>(
        std::count_if(waiting_.begin(), waiting_.end(),
                      [walk](const Waiting& waiting) { return waiting.readBy == walk; }));
}

std::unique_ptr<unsigned char[]> BlockSource::Spares::take() {
    std::lock_guard guard(lock_);
    if (kept_.empty()) {
        return std::make_unique_for_overwrite<unsigned char[]>(ReadBlock::kCapacity);
    }
    auto bytes = std::move(kept_.back());
    kept_.pop_back();
    return bytes;
}

void BlockSource::Spares::keep(std::unique_ptr<unsigned char[]> bytes) {
    std::lock_guard guard(lock_);
    if (kept_.size() < kMaxKept) {
        kept_.push_back(std::move(bytes));  // within the reserved room: cannot throw
    }
}

// A block whose memory goes back to the spares when the last walk lets go of it.
std::shared_ptr<ReadBlock> BlockSource::newBlock() {
    auto block = std::make_unique<ReadBlock>();
    block->bytes = spares_->take();
    return std::shared_ptr<ReadBlock>(block.release(), [spares = spares_](ReadBlock* done) {
        spares->keep(std::move(done->bytes));
        delete done;
    });
}

std::shared_ptr<const ReadBlock> BlockSource::takeWaiting(int walk, std::uint64_t position,
                                                          std::size_t count,
                                                          std::unique_lock<std::mutex>& guard) {
    for (;;) {
        // Blocks the other walk read from before this one's position will not be asked for.
        std::erase_if(waiting_, [&](const Waiting& waiting) {
            return waiting.readBy != walk && waiting.ready && waiting.block->start < position;
        });
        const auto found = std::find_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) {
            return w.readBy != walk && w.block->start == position;
        });
        if (found == waiting_.end()) {
            return nullptr;
        }
        if (found->ready) {
            std::shared_ptr<const ReadBlock> block;
            if (!found->failed && found->block->length >= count) {
                block = found->block;
            }
            waiting_.erase(found);
            taken_.notify_all();
            return block;
        }
        taken_.wait(guard);
    }
}

std::shared_ptr<const ReadBlock> BlockSource::fetch(int walk, platform::File& file,
                                                    std::uint64_t position, std::size_t count,
                                                    std::uint64_t readableEnd) {
    std::unique_lock guard(lock_);
    if (auto block = takeWaiting(walk, position, count, guard)) {
        return block;
    }
    // Two walks never wait for each other: what one has read lies behind it and ahead of the
    // other, and the other drops what lies behind itself.
    taken_.wait(guard, [&] { return walks_ < 2 || waitingReadBy(walk) < kMaxAhead; });
    return readBlock(walk, file, position, count, readableEnd, guard);
}

// Announces the block before reading it, so that the other walk, arriving meanwhile, waits
// for it rather than reading it too.
std::shared_ptr<ReadBlock> BlockSource::readBlock(int walk, platform::File& file,
                                                  std::uint64_t position, std::size_t count,
                                                  std::uint64_t readableEnd,
                                                  std::unique_lock<std::mutex>& guard) {
    std::shared_ptr<ReadBlock> block;
    try {
        block = newBlock();
        block->start = position;
        if (walks_ > 1) {
            waiting_.push_back({block, walk});
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    guard.unlock();
    std::optional<std::size_t> got;
    if (file.seek(position)) {
        const std::size_t asked = std::clamp(count, ReadBlock::kUsualRead, ReadBlock::kCapacity);
        got = file.read(block->bytes.get(),
                        static_cast<std::size_t>(std::min<std::uint64_t>(
                            asked, readableEnd - std::min(position, readableEnd))));
    }
    block->length = got.value_or(0);
    guard.lock();
    const auto announced = std::find_if(waiting_.begin(), waiting_.end(),
                                        [&](const Waiting& w) { return w.block == block; });
    if (announced != waiting_.end()) {
        announced->ready = true;
        announced->failed = !got;
    }
    taken_.notify_all();
    return got ? block : nullptr;
}

}  // namespace kinorex
