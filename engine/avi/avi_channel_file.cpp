#include "avi/avi_channel_file.h"

#include "channel_formats.h"

namespace kinorex {

int AviChannelFile::addVideoStream(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                                   std::int32_t codec) {
    auto handler = videoFourCc(codec);
    if (!handler) {
        return -1;
    }
    auto format = videoFormat(width, height, *handler);
    if (int error = writer_.addStream(videoStreamHeader(frameRate, width, height, *handler),
                                      std::as_bytes(std::span(format)))) {
        return error;
    }
    videoStream_ = writer_.streamCount() - 1;
    return 0;
}

int AviChannelFile::addAudioStream(std::int32_t codec) {
    auto tag = audioFormatTag(codec);
    if (!tag) {
        return -1;
    }
    auto format = audioFormat(*tag);
    if (int error = writer_.addStream(audioStreamHeader(), std::as_bytes(std::span(format)))) {
        return error;
    }
    audioStream_ = writer_.streamCount() - 1;
    return 0;
}

int AviChannelFile::writeVideo(std::span<const std::byte> frame, bool keyFrame) {
    return writer_.writeChunk(videoStream_, frame, keyFrame);
}

int AviChannelFile::writeAudio(std::span<const std::byte> pcm) {
    // Every PCM block can be decoded on its own, so each is a key frame.
    return writer_.writeChunk(audioStream_, pcm, true);
}

}  // namespace kinorex
