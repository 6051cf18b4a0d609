#include "recording/read_block.h"

#include <algorithm>
#include <new>

namespace kinorex {

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

// A block whose memory goes back to the spares when the last holder lets go of it.
std::shared_ptr<ReadBlock> BlockSource::newBlock() {
    auto block = std::make_unique<ReadBlock>();
    block->bytes = spares_->take();
    return std::shared_ptr<ReadBlock>(block.release(), [spares = spares_](ReadBlock* done) {
        spares->keep(std::move(done->bytes));
        delete done;
    });
}

std::shared_ptr<const ReadBlock> BlockSource::read(platform::File& file, std::uint64_t position,
                                                   std::size_t count, std::uint64_t readableEnd) {
    std::shared_ptr<ReadBlock> block;
    try {
        block = newBlock();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    block->start = position;
    if (!file.seek(position)) {
        return nullptr;
    }
    const std::size_t asked = std::clamp(count, ReadBlock::kUsualRead, ReadBlock::kCapacity);
    const auto got =
        file.read(block->bytes.get(), static_cast<std::size_t>(std::min<std::uint64_t>(
                                          asked, readableEnd - std::min(position, readableEnd))));
    if (!got) {
        return nullptr;
    }
    block->length = *got;
    return block;
}

}  // namespace kinorex
