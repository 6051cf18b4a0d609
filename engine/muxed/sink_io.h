#pragma once

#include <cstdint>
#include <memory>

#include "platform/file_sink.h"

extern "C" {
#include <libavformat/avio.h>
}

namespace kinorex {

// FFmpeg's output I/O over one of our file sinks: the muxer writes and seeks as in a file,
// and a write that fails fails with the sink's errno value, as the AVI writer's do. The
// buffer is large so that a long recording does not cost a system call every 32 KB.
class SinkIo {
public:
    static constexpr int kBufferSize = 256 << 10;

    // Null context() when memory ran out.
    explicit SinkIo(std::unique_ptr<FileSink> sink);
    ~SinkIo();
    SinkIo(const SinkIo&) = delete;
    SinkIo& operator=(const SinkIo&) = delete;

    AVIOContext* context() { return context_; }
    // Writes out what is buffered and closes the file; returns 0 or an AVERROR code.
    int close();

private:
    static int write(void* opaque, std::uint8_t* data, int size);
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence);

    std::unique_ptr<FileSink> sink_;
    AVIOContext* context_ = nullptr;
    std::uint64_t position_ = 0;
    std::uint64_t end_ = 0;
};

}  // namespace kinorex
