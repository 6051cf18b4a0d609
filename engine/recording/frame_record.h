#pragma once

#include <cstdint>

#include "little_endian.h"
#include "recording/recording_layout.h"

namespace kinorex {

enum class FrameType : std::uint8_t { Video = 2, Audio = 3 };

// Read-only view of one frame record (24-byte header, then the payload) in a buffer.
class FrameRecord {
public:
    FrameRecord() = default;
    FrameRecord(const std::uint8_t* record, std::uint32_t size) : record_(record), size_(size) {}

    std::uint32_t channelIndex() const { return loadLe32(record_); }
    std::uint8_t type() const { return record_[7]; }
    bool isVideo() const { return type() == static_cast<std::uint8_t>(FrameType::Video); }
    bool isAudio() const { return type() == static_cast<std::uint8_t>(FrameType::Audio); }
    std::uint8_t audioChannel() const { return record_[8]; }
    bool isKeyFrame() const { return record_[11] == 0; }
    const std::uint8_t* data() const { return record_; }
    std::uint32_t size() const { return size_; }
    const std::uint8_t* payload() const { return record_ + kFrameHeaderSize; }
    std::uint32_t payloadSize() const {
        return size_ - static_cast<std::uint32_t>(kFrameHeaderSize);
    }

private:
    const std::uint8_t* record_ = nullptr;
    std::uint32_t size_ = 0;
};

}  // namespace kinorex
