#include "recording/index_chain.h"

#include <array>
#include <cstring>

#include "little_endian.h"
#include "recording/recording_layout.h"

namespace kinorex {

namespace {

template <std::size_t N>
bool readExactly(platform::File& file, std::uint64_t offset, std::array<std::uint8_t, N>& out) {
    if (!file.seek(offset)) {
        return false;
    }
    const auto got = file.read(out.data(), out.size());
    return got && *got == out.size();
}

// Walks the chain backwards from the block ending at `end`, handing `visit` the index of
// each sound block's first entry and its entry count, with the file positioned at that first
// entry; `visit` returns false to stop. Every step moves to a block lying wholly before the
// current one.
template <typename Visit>
void walkChain(platform::File& file, std::uint64_t end, std::uint32_t remaining, Visit visit) {
    while (end > kFileHeaderSize) {
        std::array<std::uint8_t, kIndexBlockTrailerSize> trailer{};
        if (end < trailer.size() || !readExactly(file, end - trailer.size(), trailer) ||
            std::memcmp(trailer.data() + kTrailerMagicOffset, kIndexTrailerMagic, 4) != 0) {
            return;
        }
        const std::uint32_t entryCount = loadLe32(trailer.data() + kTrailerEntryCountOffset);
        const std::uint32_t distance = loadLe32(trailer.data() + kTrailerDistanceOffset);

        const std::uint64_t blockSize = std::uint64_t{entryCount} * IndexEntries::kEntrySize +
                                        kIndexBlockHeaderSize + kIndexBlockTrailerSize;
        std::array<std::uint8_t, kIndexBlockHeaderSize> header{};
        if (blockSize > end || !readExactly(file, end - blockSize, header) ||
            std::memcmp(header.data(), kIndexHeaderMagic, 4) != 0) {
            return;
        }

        // The last block holds the last entries.
        if (entryCount > remaining) {
            return;
        }
        remaining -= entryCount;
        if (!visit(remaining, entryCount)) {
            return;
        }

        // A distance shorter than the block would revisit it or a block overlapping it (0
        // loops for ever); one longer than the offset itself would wrap around.
        if (distance < blockSize || distance > end) {
            return;
        }
        end -= distance;
    }
}

}  // namespace

std::uint32_t countChainEntries(platform::File& file, std::uint64_t endOffset,
                                std::uint32_t claimed) {
    std::uint32_t held = 0;
    walkChain(file, endOffset, claimed, [&](std::uint32_t, std::uint32_t count) {
        held += count;
        return true;
    });
    return held;
}

void loadIndexChain(platform::File& file, std::uint64_t endOffset, IndexEntries& entries) {
    walkChain(file, endOffset, entries.count(), [&](std::uint32_t first, std::uint32_t count) {
        if (first < entries.firstStored()) {
            return false;
        }
        const auto target = entries.bytes(first, count);
        const auto got = file.read(target.data(), target.size());
        return got && *got == target.size();
    });
}

}  // namespace kinorex
