#include "recording/read_ahead.h"

#include <algorithm>
#include <cstring>

namespace kinorex {

std::optional<std::span<const unsigned char>> ReadAhead::peek(std::size_t count) {
    // Refilling from the current position keeps what is asked for in one piece; the few
    // bytes read twice at each block's end cost far less than stitching pieces together.
    if (!holds(position_, count) && !fill(count)) {
        return std::nullopt;
    }
    const auto offset = static_cast<std::size_t>(position_ - block_->start);
    return std::span<const unsigned char>(block_->bytes.get() + offset,
                                          std::min(count, block_->length - offset));
}

std::optional<std::size_t> ReadAhead::read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    const auto fromBlock = held();
    const std::size_t delivered = std::min(count, fromBlock.size());
    if (delivered > 0) {
        std::memcpy(out, fromBlock.data(), delivered);
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
    position_ = 0;
}

bool ReadAhead::fill(std::size_t count) {
    block_ = source_.read(file_, position_, count, readableEnd_);
    return block_ != nullptr;
}

}  // namespace kinorex
