#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi_layout.h"
#include "platform/file_sink.h"

namespace kinorex::test {

// A file in memory that fills up: past `capacity` bytes a write stores what fits and fails
// with ENOSPC, as a full disk does.
struct MemoryFile {
    std::vector<std::byte> bytes;
    std::uint64_t capacity = UINT64_MAX;
    int writeCalls = 0;
    bool closed = false;
};

class MemorySink final : public FileSink {
public:
    explicit MemorySink(std::shared_ptr<MemoryFile> file) : file_(std::move(file)) {}

    int writeAt(std::uint64_t offset, std::span<const std::span<const std::byte>> pieces) override {
        ++file_->writeCalls;
        for (auto piece : pieces) {
            for (std::byte b : piece) {
                if (offset >= file_->capacity) {
                    return ENOSPC;
                }
                if (offset >= file_->bytes.size()) {
                    file_->bytes.resize(offset + 1);
                }
                file_->bytes[offset++] = b;
            }
        }
        return 0;
    }
    int truncate(std::uint64_t size) override {
        file_->bytes.resize(size);
        return 0;
    }
    int close() override {
        file_->closed = true;
        return 0;
    }

private:
    std::shared_ptr<MemoryFile> file_;
};

}  // namespace kinorex::test
