#include "recording/read_ahead.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kinorex {

std::optional<std::span<const unsigned char>> ReadAhead::peek(std::size_t count) {
    const bool held =
        block_ && position_ >= blockStart_ && position_ + count <= blockStart_ + blockLength_;
    // Refilling from the current position keeps what is asked for in one piece; the few
    // bytes read twice at each block's end cost far less than stitching pieces together.
    if (!held && !fill()) {
        return std::nullopt;
    }
    const auto offset = static_cast<std::size_t>(position_ - blockStart_);
    return std::span<const unsigned char>(block_.get() + offset,
                                          std::min(count, blockLength_ - offset));
}

std::optional<std::size_t> ReadAhead::read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t delivered = 0;
    if (block_ && position_ >= blockStart_ && position_ < blockStart_ + blockLength_) {
        const auto offset = static_cast<std::size_t>(position_ - blockStart_);
        delivered = std::min(count, blockLength_ - offset);
        std::memcpy(out, block_.get() + offset, delivered);
        position_ += delivered;
    }
    if (delivered == count) {
        return delivered;
    }
    if (!file_.seek(position_)) {
        return std::nullopt;
    }
    const auto got = file_.read(out + delivered, count - delivered);
    if (!got) {
        return std::nullopt;
    }
    position_ += *got;
    return delivered + *got;
}

void ReadAhead::reset() {
    block_.reset();
    blockStart_ = 0;
    blockLength_ = 0;
    position_ = 0;
}

bool ReadAhead::fill() {
    if (!block_) {
        block_.reset(new (std::nothrow) unsigned char[kBlockSize]);
        if (!block_) {
            return false;
        }
    }
    blockStart_ = position_;
    blockLength_ = 0;
    if (!file_.seek(position_)) {
        return false;
    }
    const auto got = file_.read(block_.get(), kBlockSize);
    if (!got) {
        return false;
    }
    blockLength_ = *got;
    return true;
}

}  // namespace kinorex
