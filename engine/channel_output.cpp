#include "channel_output.h"

#include <algorithm>
#include <cerrno>
#include <span>

#include "channel_formats.h"

namespace kinorex {

ChannelOutput::ChannelOutput() : ChannelOutput(createFileSink) {}

ChannelOutput::ChannelOutput(FileOpener opener, std::uint64_t maxFileSize)
    : opener_(std::move(opener)), maxFileSize_(maxFileSize) {}

ChannelOutput::~ChannelOutput() {
    Release();
}

bool ChannelOutput::Create(const char* fileName, int* error) {
    // A file still open would otherwise be left incomplete.
    Release();
    std::unique_ptr<FileSink> sink;
    const int opened = fileName == nullptr ? EINVAL : opener_(fileName, sink);
    if (opened != 0) {
        if (error) {
            *error = opened;
        }
        return false;
    }
    file_ = std::make_unique<AviWriter>(std::move(sink), maxFileSize_);
    videoSampleCounter_ = 0;
    audioChunkCounter_ = 0;
    byteTotal_ = 0;
    return true;
}

int ChannelOutput::CreateVideoStream(std::int32_t frameRate, std::int32_t width,
                                     std::int32_t height, std::int32_t codec) {
    auto handler = videoFourCc(codec);
    if (!handler || !file_) {
        return -1;
    }
    auto format = videoFormat(width, height, *handler);
    if (int error = file_->addStream(videoStreamHeader(frameRate, width, height, *handler),
                                     std::as_bytes(std::span(format)))) {
        return error;
    }
    videoStream_ = static_cast<int>(file_->streamCount()) - 1;
    return 0;
}

int ChannelOutput::CreateAudioStream(std::int32_t codec) {
    auto tag = audioFormatTag(codec);
    if (!tag || !file_) {
        return -1;
    }
    auto format = audioFormat(*tag);
    if (int error = file_->addStream(audioStreamHeader(), std::as_bytes(std::span(format)))) {
        return error;
    }
    audioStream_ = static_cast<int>(file_->streamCount()) - 1;
    return 0;
}

int ChannelOutput::WriteVideo(const void* frame, std::int32_t size, bool keyFrame) {
    if (wouldPassLimit(size) || videoStream_ == kNoStream) {
        return -1;
    }
    if (int error = write(videoStream_, frame, size, keyFrame)) {
        return error;
    }
    ++videoSampleCounter_;
    return 0;
}

int ChannelOutput::WriteAudio(const void* pcm, std::int32_t size) {
    if (wouldPassLimit(size)) {
        return -1;
    }
    if (audioStream_ == kNoStream) {
        return 0;
    }
    // Every PCM block can be decoded on its own, so each is a key frame.
    if (int error = write(audioStream_, pcm, size, true)) {
        return error;
    }
    ++audioChunkCounter_;
    return 0;
}

ChannelOutput::Completion ChannelOutput::Release() {
    videoStream_ = kNoStream;
    audioStream_ = kNoStream;
    Completion completion;
    if (file_) {
        completion.error = file_->finish();
        completion.chunks = file_->chunkCount();
        file_.reset();
    }
    byteTotal_ = 0;
    return completion;
}

std::uint64_t ChannelOutput::roomLeft() const {
    if (!file_) {
        return 0;
    }
    const auto payloadRoom =
        static_cast<std::uint64_t>(std::max<std::int64_t>(kFileSizeLimit - byteTotal_, 0));
    return std::min(payloadRoom, file_->roomLeft());
}

bool ChannelOutput::wouldPassLimit(std::int32_t size) const {
    return byteTotal_ + std::int64_t{size} > kFileSizeLimit;
}

int ChannelOutput::write(int stream, const void* data, std::int32_t size, bool keyFrame) {
    if (size < 0 || (data == nullptr && size > 0)) {
        return EINVAL;
    }
    int result = file_->writeChunk(
        static_cast<std::size_t>(stream),
        {static_cast<const std::byte*>(data), static_cast<std::size_t>(size)}, keyFrame);
    if (result == 0) {
        byteTotal_ += size;
    }
    return result;
}

}  // namespace kinorex
