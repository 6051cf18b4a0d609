#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "recording/recording_reader.h"
#include "recording_builder.h"
#include "temp_path.h"

namespace kinorex::test {

inline constexpr std::uint32_t kFrameBuffer = 0x80000;

// A reader opened on what `builder` writes; the file lives as long as the fixture.
class OpenedRecording {
public:
    explicit OpenedRecording(const RecordingBuilder& builder) : path_("recording.h264") {
        builder.write(path_.path());
        opened_ = reader_.Open(path_.c_str(), header_.data());
    }

    bool opened() const { return opened_; }
    RecordingReader& reader() { return reader_; }
    const std::array<std::uint8_t, kFileHeaderSize>& header() const { return header_; }
    const TempPath& path() const { return path_; }

    // The next record as bytes, or empty when ReadFrame fails.
    Bytes next(std::uint32_t capacity = kFrameBuffer) {
        Bytes buffer(capacity);
        std::uint32_t size = capacity;
        if (!reader_.ReadFrame(buffer.data(), size)) {
            return {};
        }
        buffer.resize(size);
        return buffer;
    }

private:
    TempPath path_;
    RecordingReader reader_;
    std::array<std::uint8_t, kFileHeaderSize> header_{};
    bool opened_ = false;
};

// The bytes a record built from these fields occupies in the file.
inline Bytes recordBytes(const RawFrameRecord& frame) {
    RecordingBuilder alone;
    alone.record(frame);
    const Bytes file = alone.bytes();
    return Bytes(file.begin() + kHeaderBytes, file.end());
}

}  // namespace kinorex::test
