#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kinorex {

// The N ten-byte entries of a recording's index chain. The chain fills them from the last
// entry downwards, so only as many of the last entries as the chain really holds get memory:
// a damaged header claiming hundreds of millions of entries must not cost gigabytes, however
// large the file. Entries without memory read as zero.
class IndexEntries {
public:
    static constexpr std::size_t kEntrySize = 10;
    using Entry = std::array<std::uint8_t, kEntrySize>;

    // Prepares `count` zeroed entries, the last `held` of which get memory. Fails when the
    // entries' total size does not fit in 32 bits or memory cannot be had.
    bool reset(std::uint32_t count, std::uint32_t held);
    void clear();

    std::uint32_t count() const { return count_; }
    // Index of the first entry that has memory; entries below it can never be loaded.
    std::uint32_t firstStored() const { return count_ - storedCount_; }

    // The memory of entries first .. first + n - 1, all of which must be stored.
    std::span<std::uint8_t> bytes(std::uint32_t first, std::uint32_t n);
    Entry entry(std::uint32_t index) const;

private:
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint32_t count_ = 0;
    std::uint32_t storedCount_ = 0;
};

}  // namespace kinorex
