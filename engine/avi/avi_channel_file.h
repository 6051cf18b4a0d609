#pragma once

#include <memory>

#include "avi/avi_writer.h"
#include "channel_file.h"

namespace kinorex {

// A channel in an AVI file: its H.264 frames as stream 0 and, where it has audio, 16-bit
// mono PCM at 8000 Hz as stream 1.
class AviChannelFile final : public ChannelFile {
public:
    AviChannelFile(std::unique_ptr<FileSink> sink, std::uint64_t maxFileSize)
        : writer_(std::move(sink), maxFileSize) {}

    int addVideoStream(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                       std::int32_t codec) override;
    int addAudioStream(std::int32_t codec) override;
    int writeVideo(std::span<const std::byte> frame, bool keyFrame) override;
    int writeAudio(std::span<const std::byte> pcm) override;
    int finish() override { return writer_.finish(); }
    std::uint64_t chunkCount() const override { return writer_.chunkCount(); }
    std::uint64_t voiceChunkCount() const override {
        return audioStream_ == kNoStream ? 0 : writer_.chunkCount(audioStream_);
    }
    std::uint64_t roomLeft() const override { return writer_.roomLeft(); }

private:
    static constexpr std::size_t kNoStream = AviWriter::kMaxStreams;

    AviWriter writer_;
    std::size_t videoStream_ = kNoStream;
    std::size_t audioStream_ = kNoStream;
};

}  // namespace kinorex
