#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "recording/frame_record.h"
#include "recording/read_block.h"

namespace kinorex {

// Records as the walk took them, with the block their bytes lie in: they stay valid for as
// long as the batch is held, whatever the walk reads meanwhile, so one walk can hand the same
// batch to several lanes.
struct RecordBatch {
    std::shared_ptr<const ReadBlock> block;
    std::vector<FrameRecord> records;

    // Where the first record begins in the file.
    std::uint64_t position() const {
        return records.empty() ? 0
                               : block->start + static_cast<std::uint64_t>(records.front().data() -
                                                                           block->bytes.get());
    }
};

}  // namespace kinorex
