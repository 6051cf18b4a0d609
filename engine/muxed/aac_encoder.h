#pragma once

#include <cstdint>
#include <functional>
#include <span>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace kinorex {

// Encodes 8 kHz mono 16-bit PCM into AAC-LC packets, a frame of 1024 samples at a time.
// The encoder's first packet starts before the first sample (its delay, negative
// timestamps); the MP4 muxer covers that with an edit list.
class AacEncoder {
public:
    static constexpr int kSampleRate = 8000;
    // About 40 kbit/s is as good as speech at 8 kHz gets from AAC-LC; less audibly hisses.
    static constexpr std::int64_t kBitRate = 48000;

    // Takes each encoded packet, timed in 1/kSampleRate; returns 0 or an AVERROR code.
    using PacketSink = std::function<int(AVPacket& packet)>;

    AacEncoder() = default;
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // Opens the encoder and describes its stream in parameters. Returns 0 or an AVERROR code.
    int open(AVCodecParameters& parameters);
    int encode(std::span<const std::int16_t> pcm, const PacketSink& sink);
    // Encodes what is left, padded out, and drains the encoder.
    int flush(const PacketSink& sink);

private:
    int sendFrame(const PacketSink& sink);
    int receivePackets(const PacketSink& sink);

    AVCodecContext* context_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::int64_t samplesSent_ = 0;
};

}  // namespace kinorex
