#include "channel_output.h"

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
    if (videoStream_ == kNoStream) {
        return -1;
    }
    return write(videoStream_, frame, size, keyFrame);
}

int ChannelOutput::WriteAudio(const void* pcm, std::int32_t size) {
    if (audioStream_ == kNoStream) {
        return 0;
    }
    // Every PCM block can be decoded on its own, so each is a key frame.
    return write(audioStream_, pcm, size, true);
}

ChannelOutput::Completion ChannelOutput::Release() {
    Completion completion;
    if (file_) {
        completion.error = file_->finish();
        completion.chunks = file_->chunkCount();
        if (audioStream_ != kNoStream) {
            completion.audioChunks = file_->chunkCount(static_cast<std::size_t>(audioStream_));
        }
        file_.reset();
    }
    videoStream_ = kNoStream;
    audioStream_ = kNoStream;
    return completion;
}

std::uint64_t ChannelOutput::roomLeft() const {
    return file_ ? file_->roomLeft() : 0;
}

int ChannelOutput::write(int stream, const void* data, std::int32_t size, bool keyFrame) {
    if (size < 0 || (data == nullptr && size > 0)) {
        return EINVAL;
    }
    return file_->writeChunk(static_cast<std::size_t>(stream),
                             {static_cast<const std::byte*>(data), static_cast<std::size_t>(size)},
                             keyFrame);
}

}  // namespace kinorex
