#include "channel_output.h"

#include <cerrno>
#include <span>

#include "channel_formats.h"

namespace kinorex {

ChannelOutput::ChannelOutput() : ChannelOutput(createFileSink) {}

ChannelOutput::ChannelOutput(FileOpener opener) : opener_(std::move(opener)) {}

ChannelOutput::~ChannelOutput() {
    Release();
}

bool ChannelOutput::Create(const char* fileName) {
    // A file still open would otherwise be left incomplete.
    Release();
    std::unique_ptr<FileSink> sink;
    if (fileName == nullptr || opener_(fileName, sink) != 0) {
        return false;
    }
    file_ = std::make_unique<AviWriter>(std::move(sink));
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

void ChannelOutput::Release() {
    videoStream_ = kNoStream;
    audioStream_ = kNoStream;
    if (file_) {
        file_->finish();
        file_.reset();
    }
    byteTotal_ = 0;
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
