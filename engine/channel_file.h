#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kinorex {

// The codec codes a conversion asks for: H.264 video and 16-bit PCM voice.
inline constexpr std::int32_t kVideoCodecH264 = 3;
inline constexpr std::int32_t kAudioCodecPcm = 0;

// One channel's file in one container format, behind ChannelOutput. Results are 0, -1 for
// a refusal (unknown codec code, a size limit) or the errno value of what failed.
class ChannelFile {
public:
    virtual ~ChannelFile() = default;

    // frameRate in frames per second; codec as ChannelOutput::CreateVideoStream takes it.
    virtual int addVideoStream(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                               std::int32_t codec) = 0;
    // Mono 16-bit PCM at 8000 Hz comes in; codec as ChannelOutput::CreateAudioStream takes it.
    virtual int addAudioStream(std::int32_t codec) = 0;
    virtual int writeVideo(std::span<const std::byte> frame, bool keyFrame) = 0;
    virtual int writeAudio(std::span<const std::byte> pcm) = 0;
    // Completes the file on disk and closes it; returns 0 or the first errno value.
    virtual int finish() = 0;
    // Frames and PCM blocks the finished file holds.
    virtual std::uint64_t chunkCount() const = 0;
    // Of those, the PCM blocks.
    virtual std::uint64_t voiceChunkCount() const = 0;
    // Bytes the file can still grow by before a write is refused at its size limit.
    virtual std::uint64_t roomLeft() const = 0;
};

}  // namespace kinorex
