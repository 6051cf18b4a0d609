#include "muxed/sink_io.h"

#include <algorithm>
#include <cerrno>
#include <span>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace kinorex {

SinkIo::SinkIo(std::unique_ptr<FileSink> sink) : sink_(std::move(sink)) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (buffer) {
        context_ = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &SinkIo::write,
                                      &SinkIo::seek);
        if (!context_) {
            av_free(buffer);
        }
    }
}

SinkIo::~SinkIo() {
    close();
}

int SinkIo::close() {
    int result = 0;
    if (context_) {
        avio_flush(context_);
        result = context_->error;
        // The context may have replaced the buffer it was given.
        av_freep(&context_->buffer);
        avio_context_free(&context_);
    }
    if (sink_) {
        const int closed = sink_->close();
        sink_.reset();
        if (result == 0 && closed != 0) {
            result = AVERROR(closed);
        }
    }
    return result;
}

int SinkIo::write(void* opaque, std::uint8_t* data, int size) {
    auto& io = *static_cast<SinkIo*>(opaque);
    const std::span<const std::byte> piece(reinterpret_cast<const std::byte*>(data),
                                           static_cast<std::size_t>(size));
    if (int error = io.sink_->writeAt(io.position_, {&piece, 1})) {
        return AVERROR(error);
    }
    io.position_ += static_cast<std::uint64_t>(size);
    io.end_ = std::max(io.end_, io.position_);
    return size;
}

std::int64_t SinkIo::seek(void* opaque, std::int64_t offset, int whence) {
    auto& io = *static_cast<SinkIo*>(opaque);
    std::int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return static_cast<std::int64_t>(io.end_);
        case SEEK_SET:
            break;
        case SEEK_CUR:
            target += static_cast<std::int64_t>(io.position_);
            break;
        case SEEK_END:
            target += static_cast<std::int64_t>(io.end_);
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0) {
        return AVERROR(EINVAL);
    }
    io.position_ = static_cast<std::uint64_t>(target);
    return target;
}

}  // namespace kinorex
