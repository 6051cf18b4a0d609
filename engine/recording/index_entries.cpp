#include "recording/index_entries.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace kinorex {

bool IndexEntries::reset(std::uint32_t count, std::uint32_t held) {
    clear();
    if (count > std::numeric_limits<std::uint32_t>::max() / kEntrySize) {
        return false;
    }
    const std::uint32_t stored = std::min(count, held);
    storage_.reset(new (std::nothrow) std::uint8_t[std::size_t{stored} * kEntrySize]());
    if (!storage_) {
        return false;
    }
    count_ = count;
    storedCount_ = stored;
    return true;
}

void IndexEntries::clear() {
    storage_.reset();
    count_ = 0;
    storedCount_ = 0;
}

std::span<std::uint8_t> IndexEntries::bytes(std::uint32_t first, std::uint32_t n) {
    const std::size_t offset = std::size_t{first - firstStored()} * kEntrySize;
    return {storage_.get() + offset, std::size_t{n} * kEntrySize};
}

IndexEntries::Entry IndexEntries::entry(std::uint32_t index) const {
    Entry result{};
    if (index >= firstStored() && index < count_) {
        const std::size_t offset = std::size_t{index - firstStored()} * kEntrySize;
        std::memcpy(result.data(), storage_.get() + offset, kEntrySize);
    }
    return result;
}

}  // namespace kinorex
