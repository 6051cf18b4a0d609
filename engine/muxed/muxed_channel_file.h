#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "channel_file.h"
#include "muxed/aac_encoder.h"
#include "muxed/sink_io.h"
#include "output_format.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace kinorex {

// A channel in an MP4 or Matroska file, muxed by FFmpeg. The H.264 frames go in unchanged
// (the muxer stores their NAL units length-prefixed, with the parameter sets of the first
// frame that has them as the decoder configuration); the PCM goes into Matroska as it is
// and into MP4 as AAC-LC. One file holds the whole channel: there is no size limit.
//
// A long recording's MP4 goes into fragments of about ten seconds, each indexed where it
// is, so that the muxer's index does not grow with the recording; the index of an
// unfragmented file stays in memory until it is written, before the media, at the end.
//
// The headers need the parameter sets, so what comes before the first frame that carries
// them waits in memory, up to a bound past which the file goes on without them.
class MuxedChannelFile final : public ChannelFile {
public:
    // A file written through sink; path names it for the muxer, which reads it back to
    // move an MP4 index before the media. On failure sets error to an errno value.
    static std::unique_ptr<ChannelFile> create(std::unique_ptr<FileSink> sink, const char* path,
                                               OutputFormat format, bool fragmented, int& error);
    ~MuxedChannelFile() override;

    int addVideoStream(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                       std::int32_t codec) override;
    int addAudioStream(std::int32_t codec) override;
    int writeVideo(std::span<const std::byte> frame, bool keyFrame) override;
    int writeAudio(std::span<const std::byte> pcm) override;
    int finish() override;
    std::uint64_t chunkCount() const override { return chunks_; }
    std::uint64_t voiceChunkCount() const override { return voiceChunks_; }
    std::uint64_t roomLeft() const override { return UINT64_MAX; }

private:
    struct Waiting {
        bool video;
        bool keyFrame;
        std::vector<std::byte> bytes;
    };
    static constexpr std::size_t kMaxWaitingBytes = std::size_t{4} << 20;
    static constexpr AVRational kSampleTime{1, AacEncoder::kSampleRate};

    MuxedChannelFile(AVFormatContext* context, std::unique_ptr<SinkIo> io, OutputFormat format,
                     bool fragmented);
    int startFile(std::span<const std::byte> parameterSets);
    int wait(bool video, bool keyFrame, std::span<const std::byte> bytes);
    int muxVideo(std::span<const std::byte> frame, bool keyFrame);
    int muxAudio(std::span<const std::byte> pcm);
    int muxPacket(AVPacket& packet, AVStream* stream, AVRational timeBase);
    // Remembers the first failure as an errno value and returns it.
    int fail(int averror);

    AVFormatContext* context_;
    std::unique_ptr<SinkIo> io_;
    OutputFormat format_;
    bool fragmented_;
    AVPacket* packet_;
    AVStream* video_ = nullptr;
    AVStream* audio_ = nullptr;
    AVRational frameTime_{1, 25};
    std::unique_ptr<AacEncoder> aac_;
    // Where the encoder's packets go; a failure is kept in error_, so the encoder only
    // learns to stop.
    const AacEncoder::PacketSink aacPackets_ = [this](AVPacket& packet) {
        return muxPacket(packet, audio_, kSampleTime) ? -1 : 0;
    };
    bool started_ = false;
    bool finished_ = false;
    std::vector<Waiting> waiting_;
    std::size_t waitingBytes_ = 0;
    std::int64_t videoFrames_ = 0;
    std::int64_t audioSamples_ = 0;
    std::uint64_t chunks_ = 0;
    std::uint64_t voiceChunks_ = 0;
    int error_ = 0;
};

}  // namespace kinorex
