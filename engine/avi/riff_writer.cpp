#include "avi/riff_writer.h"

#include <array>
#include <cstring>

#include "little_endian.h"

namespace kinorex {
RiffWriter::RiffWriter(std::unique_ptr<FileSink> file) : file_(std::move(file)) {
    buffer_.reserve(kBlockSize);
}

void RiffWriter::putU16(std::uint16_t value) {
    putLe(value, 2);
}

void RiffWriter::putU32(std::uint32_t value) {
    putLe(value, 4);
}

void RiffWriter::putLe(std::uint32_t value, std::size_t size) {
    buffer_.resize(buffer_.size() + size);
    storeLe(buffer_.data() + buffer_.size() - size, value, size);
}

void RiffWriter::putBytes(std::span<const std::byte> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::uint64_t RiffWriter::startTag(std::uint32_t id) {
    std::uint64_t start = position();
    putU32(id);
    putU32(0);  // size, set by endTag
    return start;
}

std::uint64_t RiffWriter::startList(std::uint32_t id, std::uint32_t listType) {
    std::uint64_t start = startTag(id);
    putU32(listType);
    return start;
}

int RiffWriter::endTag(std::uint64_t tagStart) {
    std::uint64_t size = position() - tagStart - 8;
    if (size & 1) {
        buffer_.push_back(std::byte{0});
    }
    return patchU32(tagStart + 4, static_cast<std::uint32_t>(size));
}

int RiffWriter::writeChunk(std::uint32_t id, std::span<const std::byte> payload) {
    std::byte header[8];
    storeLe32(header, id);
    storeLe32(header + 4, static_cast<std::uint32_t>(payload.size()));
    const std::byte pad[1] = {};
    std::span<const std::byte> padding(pad, payload.size() & 1);
    std::uint64_t span = riffChunkSpan(payload.size());

    if (buffer_.size() + span > kBlockSize) {
        if (int error = flush()) {
            return error;
        }
    }
    if (span <= kBlockSize) {
        // One resize and plain copies: this runs for every chunk of a conversion.
        const std::size_t at = buffer_.size();
        buffer_.resize(at + span);
        std::memcpy(buffer_.data() + at, header, sizeof header);
        if (!payload.empty()) {
            std::memcpy(buffer_.data() + at + sizeof header, payload.data(), payload.size());
        }
        if (!padding.empty()) {
            buffer_.back() = std::byte{0};
        }
        return 0;
    }
    // Too big for a block: copying it would only cost time, so it goes straight out.
    const std::span<const std::byte> pieces[] = {header, payload, padding};
    if (int error = writeCommitted(pieces)) {
        return error;
    }
    committed_ += span;
    return 0;
}

int RiffWriter::patchU32(std::uint64_t offset, std::uint32_t value) {
    std::array<std::byte, 4> bytes;
    storeLe32(bytes.data(), value);
    if (offset >= committed_) {
        std::memcpy(buffer_.data() + (offset - committed_), bytes.data(), bytes.size());
        return 0;
    }
    const std::span<const std::byte> pieces[] = {bytes};
    return file_->writeAt(offset, pieces);
}

int RiffWriter::flush() {
    if (buffer_.empty()) {
        return 0;
    }
    const std::span<const std::byte> pieces[] = {buffer_};
    if (int error = writeCommitted(pieces)) {
        return error;
    }
    committed_ += buffer_.size();
    buffer_.clear();
    return 0;
}

int RiffWriter::close() {
    int error = flush();
    if (error) {
        dropBuffer();
    }
    // After a failed write the file may hold a cut-off tail that truncating did not remove.
    if (int cut = file_->truncate(committed_); !error) {
        error = cut;
    }
    if (int closed = file_->close(); !error) {
        error = closed;
    }
    return error;
}

int RiffWriter::writeCommitted(std::span<const std::span<const std::byte>> pieces) {
    int error = file_->writeAt(committed_, pieces);
    if (error) {
        // Best effort: if this fails too, later writes still start at committed_ and
        // close() cuts the file there.
        file_->truncate(committed_);
    }
    return error;
}

}  // namespace kinorex
