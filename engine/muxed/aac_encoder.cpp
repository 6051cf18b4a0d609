#include "muxed/aac_encoder.h"

#include <algorithm>
#include <cerrno>

namespace kinorex {

AacEncoder::~AacEncoder() {
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&context_);
}

int AacEncoder::open(AVCodecParameters& parameters) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        return AVERROR_ENCODER_NOT_FOUND;
    }
    context_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!context_ || !frame_ || !packet_) {
        return AVERROR(ENOMEM);
    }
    context_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context_->sample_rate = kSampleRate;
    context_->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    context_->bit_rate = kBitRate;
    context_->profile = FF_PROFILE_AAC_LOW;
    context_->time_base = {1, kSampleRate};
    // The MP4 muxer wants the decoder configuration in the sample description.
    context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Encoding the voice is nearly all of an MP4 conversion's work. The fast coder takes
    // less than half the default's time and is no worse on speech; the tools switched off
    // serve music and stereo.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "aac_coder", "fast", 0);
    av_dict_set(&options, "aac_pns", "0", 0);
    av_dict_set(&options, "aac_tns", "0", 0);
    const int opened = avcodec_open2(context_, codec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        return opened;
    }
    frame_->format = context_->sample_fmt;
    frame_->sample_rate = kSampleRate;
    frame_->nb_samples = context_->frame_size;
    if (int error = av_channel_layout_copy(&frame_->ch_layout, &context_->ch_layout); error < 0) {
        return error;
    }
    if (int error = av_frame_get_buffer(frame_, 0); error < 0) {
        return error;
    }
    frame_->nb_samples = 0;
    return avcodec_parameters_from_context(&parameters, context_);
}

int AacEncoder::encode(std::span<const std::int16_t> pcm, const PacketSink& sink) {
    while (!pcm.empty()) {
        const int room = context_->frame_size - frame_->nb_samples;
        const auto take = std::min(pcm.size(), static_cast<std::size_t>(room));
        auto* samples = reinterpret_cast<float*>(frame_->data[0]) + frame_->nb_samples;
        for (std::size_t i = 0; i < take; ++i) {
            samples[i] = static_cast<float>(pcm[i]) * (1.0f / 32768.0f);
        }
        frame_->nb_samples += static_cast<int>(take);
        pcm = pcm.subspan(take);
        if (frame_->nb_samples == context_->frame_size) {
            if (int error = sendFrame(sink); error < 0) {
                return error;
            }
        }
    }
    return 0;
}

int AacEncoder::flush(const PacketSink& sink) {
    if (!context_) {
        return 0;
    }
    // The encoder takes a short last frame and times the last packet by it.
    if (frame_->nb_samples > 0) {
        if (int error = sendFrame(sink); error < 0) {
            return error;
        }
    }
    if (int error = avcodec_send_frame(context_, nullptr); error < 0) {
        return error;
    }
    return receivePackets(sink);
}

int AacEncoder::sendFrame(const PacketSink& sink) {
    frame_->pts = samplesSent_;
    samplesSent_ += frame_->nb_samples;
    if (int error = avcodec_send_frame(context_, frame_); error < 0) {
        return error;
    }
    // The encoder keeps a reference to the frame it was sent; the next samples need a
    // buffer of their own.
    frame_->nb_samples = context_->frame_size;
    if (int error = av_frame_make_writable(frame_); error < 0) {
        return error;
    }
    frame_->nb_samples = 0;
    return receivePackets(sink);
}

int AacEncoder::receivePackets(const PacketSink& sink) {
    while (true) {
        const int received = avcodec_receive_packet(context_, packet_);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return 0;
        }
        if (received < 0) {
            return received;
        }
        const int written = sink(*packet_);
        av_packet_unref(packet_);
        if (written < 0) {
            return written;
        }
    }
}

}  // namespace kinorex
