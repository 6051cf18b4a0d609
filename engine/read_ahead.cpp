#include "read_ahead.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kinorex {

std::optional<std::size_t> ReadAhead::read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t delivered = copyBuffered(out, count);
    while (delivered < count) {
        const std::size_t rest = count - delivered;
        if (rest >= kBlockSize) {
            // Too large to gain from buffering: straight into the caller's memory.
            if (!file_.seek(position_)) {
                return std::nullopt;
            }
            const auto got = file_.read(out + delivered, rest);
            if (!got) {
                return std::nullopt;
            }
            position_ += *got;
            return delivered + *got;
        }
        if (!fill()) {
            return std::nullopt;
        }
        const std::size_t got = copyBuffered(out + delivered, rest);
        if (got == 0) {
            break;  // end of file
        }
        delivered += got;
    }
    return delivered;
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
    blockLength_ = 0;
    if (!file_.seek(position_)) {
        return false;
    }
    const auto got = file_.read(block_.get(), kBlockSize);
    if (!got) {
        return false;
    }
    blockStart_ = position_;
    blockLength_ = *got;
    return true;
}

std::size_t ReadAhead::copyBuffered(unsigned char* out, std::size_t count) {
    if (position_ < blockStart_ || position_ >= blockStart_ + blockLength_) {
        return 0;
    }
    const auto offset = static_cast<std::size_t>(position_ - blockStart_);
    const std::size_t n = std::min(count, blockLength_ - offset);
    std::memcpy(out, block_.get() + offset, n);
    position_ += n;
    return n;
}

}  // namespace kinorex
