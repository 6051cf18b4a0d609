#include "channel_output.h"

#include <cerrno>
#include <span>

#include "avi/avi_channel_file.h"
#ifdef KINOREX_WITH_FFMPEG
#include "platform/muxed_module.h"
#endif

namespace kinorex {

namespace {

std::span<const std::byte> bytesOf(const void* data, std::int32_t size) {
    return {static_cast<const std::byte*>(data), static_cast<std::size_t>(size)};
}

bool validBlock(const void* data, std::int32_t size) {
    return size >= 0 && (data != nullptr || size == 0);
}

}  // namespace

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
    int failure = fileName == nullptr         ? EINVAL
                  : !formatAvailable(format_) ? ENOTSUP
                                              : opener_(fileName, sink);
    if (failure == 0 && format_ == OutputFormat::Avi) {
        file_ = std::make_unique<AviChannelFile>(std::move(sink), maxFileSize_);
    } else if (failure == 0) {
#ifdef KINOREX_WITH_FFMPEG
        failure = muxedModule().create(std::move(sink), fileName, format_, fragmented_, file_);
#endif
    }
    if (failure != 0 && error) {
        *error = failure;
    }
    return failure == 0;
}

int ChannelOutput::CreateVideoStream(std::int32_t frameRate, std::int32_t width,
                                     std::int32_t height, std::int32_t codec) {
    if (!file_) {
        return -1;
    }
    const int result = file_->addVideoStream(frameRate, width, height, codec);
    hasVideo_ = hasVideo_ || result == 0;
    return result;
}

int ChannelOutput::CreateAudioStream(std::int32_t codec) {
    if (!file_) {
        return -1;
    }
    const int result = file_->addAudioStream(codec);
    hasAudio_ = hasAudio_ || result == 0;
    return result;
}

int ChannelOutput::WriteVideo(const void* frame, std::int32_t size, bool keyFrame) {
    if (!hasVideo_) {
        return -1;
    }
    if (!validBlock(frame, size)) {
        return EINVAL;
    }
    return file_->writeVideo(bytesOf(frame, size), keyFrame);
}

int ChannelOutput::WriteAudio(const void* pcm, std::int32_t size) {
    if (!hasAudio_) {
        return 0;
    }
    if (!validBlock(pcm, size)) {
        return EINVAL;
    }
    return file_->writeAudio(bytesOf(pcm, size));
}

ChannelOutput::Completion ChannelOutput::Release() {
    hasVideo_ = false;
    hasAudio_ = false;
    Completion completion;
    if (file_) {
        completion.error = file_->finish();
        completion.chunks = file_->chunkCount();
        completion.audioChunks = file_->voiceChunkCount();
        file_.reset();
    }
    return completion;
}

std::uint64_t ChannelOutput::roomLeft() const {
    return file_ ? file_->roomLeft() : 0;
}

}  // namespace kinorex
