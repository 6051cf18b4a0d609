#pragma once

#include <cstdint>

#include "platform/file.h"
#include "recording/index_entries.h"

namespace kinorex {

// Loads the index chain that ends at `endOffset` into `entries`, walking it backwards from
// the last block. The chain is advisory, so loading simply stops at the first block that is
// missing, damaged or inconsistent; the entries not reached stay zero. Every step moves to a
// block lying wholly before the current one, so even a hostile chain costs at most one pass
// over the file.
void loadIndexChain(platform::File& file, std::uint64_t endOffset, IndexEntries& entries);

// How many entries loadIndexChain will find in the chain ending at `endOffset` when the file
// header claims `claimed`: only these need memory, whatever the header claims.
std::uint32_t countChainEntries(platform::File& file, std::uint64_t endOffset,
                                std::uint32_t claimed);

}  // namespace kinorex
