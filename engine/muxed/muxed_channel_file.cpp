#include "muxed/muxed_channel_file.h"

#include <cerrno>
#include <cstring>
#include <mutex>

#include "muxed/muxed_file_factory.h"
#include "muxed/parameter_sets.h"

namespace kinorex {

namespace {

// A channel whose header gives no frame rate plays at the recorders' usual one.
constexpr std::int32_t kFallbackFrameRate = 25;

// FFmpeg's errors are negated errno values where a system call failed.
int errnoOf(int averror) {
    constexpr int kLargestErrno = 4095;
    return averror < 0 && averror >= -kLargestErrno ? -averror : EIO;
}

const char* muxerName(OutputFormat format) {
    return format == OutputFormat::Mp4 ? "mp4" : "matroska";
}

}  // namespace

std::unique_ptr<ChannelFile> MuxedChannelFile::create(std::unique_ptr<FileSink> sink,
                                                      const char* path, OutputFormat format,
                                                      bool fragmented, int& error) {
    // What goes wrong reaches the conversion's report; FFmpeg's own log would only
    // interleave with the progress display.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    AVFormatContext* context = nullptr;
    if (int result = avformat_alloc_output_context2(&context, nullptr, muxerName(format), path);
        result < 0) {
        error = errnoOf(result);
        return nullptr;
    }
    // No library version or date in the file: the same recording gives the same bytes.
    context->flags |= AVFMT_FLAG_BITEXACT | AVFMT_FLAG_CUSTOM_IO;
    auto io = std::make_unique<SinkIo>(std::move(sink));
    if (!io->context()) {
        avformat_free_context(context);
        error = ENOMEM;
        return nullptr;
    }
    context->pb = io->context();
    return std::unique_ptr<ChannelFile>(
        new MuxedChannelFile(context, std::move(io), format, fragmented));
}

MuxedChannelFile::MuxedChannelFile(AVFormatContext* context, std::unique_ptr<SinkIo> io,
                                   OutputFormat format, bool fragmented)
    : context_(context),
      io_(std::move(io)),
      format_(format),
      fragmented_(fragmented),
      packet_(av_packet_alloc()) {}

MuxedChannelFile::~MuxedChannelFile() {
    finish();
    av_packet_free(&packet_);
    avformat_free_context(context_);
}

int MuxedChannelFile::addVideoStream(std::int32_t frameRate, std::int32_t width,
                                     std::int32_t height, std::int32_t codec) {
    if (codec != kVideoCodecH264 || video_ || started_) {
        return -1;
    }
    video_ = avformat_new_stream(context_, nullptr);
    if (!video_) {
        return ENOMEM;
    }
    frameTime_ = {1, frameRate > 0 ? frameRate : kFallbackFrameRate};
    video_->time_base = frameTime_;
    video_->avg_frame_rate = av_inv_q(frameTime_);
    AVCodecParameters& parameters = *video_->codecpar;
    parameters.codec_type = AVMEDIA_TYPE_VIDEO;
    parameters.codec_id = AV_CODEC_ID_H264;
    parameters.width = width;
    parameters.height = height;
    return 0;
}

int MuxedChannelFile::addAudioStream(std::int32_t codec) {
    if (codec != kAudioCodecPcm || audio_ || started_) {
        return -1;
    }
    audio_ = avformat_new_stream(context_, nullptr);
    if (!audio_) {
        return ENOMEM;
    }
    audio_->time_base = kSampleTime;
    AVCodecParameters& parameters = *audio_->codecpar;
    if (format_ == OutputFormat::Mp4) {
        aac_ = std::make_unique<AacEncoder>();
        if (int result = aac_->open(parameters); result < 0) {
            return errnoOf(result);
        }
        return 0;
    }
    parameters.codec_type = AVMEDIA_TYPE_AUDIO;
    parameters.codec_id = AV_CODEC_ID_PCM_S16LE;
    parameters.sample_rate = AacEncoder::kSampleRate;
    parameters.ch_layout = AV_CHANNEL_LAYOUT_MONO;
    parameters.bits_per_coded_sample = 16;
    parameters.block_align = 2;
    return 0;
}

int MuxedChannelFile::writeVideo(std::span<const std::byte> frame, bool keyFrame) {
    if (error_ || finished_) {
        return error_ ? error_ : EINVAL;
    }
    if (!started_) {
        const auto sets = parameterSets(frame);
        if (sets.empty()) {
            return wait(true, keyFrame, frame);
        }
        if (int error = startFile(sets)) {
            return error;
        }
    }
    const int result = muxVideo(frame, keyFrame);
    chunks_ += result == 0;
    return result;
}

int MuxedChannelFile::writeAudio(std::span<const std::byte> pcm) {
    if (error_ || finished_) {
        return error_ ? error_ : EINVAL;
    }
    if (!started_) {
        return wait(false, true, pcm);
    }
    const int result = muxAudio(pcm);
    chunks_ += result == 0;
    voiceChunks_ += result == 0;
    return result;
}

int MuxedChannelFile::wait(bool video, bool keyFrame, std::span<const std::byte> bytes) {
    waiting_.push_back({video, keyFrame, {bytes.begin(), bytes.end()}});
    waitingBytes_ += bytes.size();
    ++chunks_;
    voiceChunks_ += !video;
    if (waitingBytes_ > kMaxWaitingBytes) {
        return startFile({});
    }
    return 0;
}

int MuxedChannelFile::startFile(std::span<const std::byte> parameterSets) {
    started_ = true;
    if (video_ && !parameterSets.empty()) {
        AVCodecParameters& parameters = *video_->codecpar;
        parameters.extradata = static_cast<std::uint8_t*>(
            av_mallocz(parameterSets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!parameters.extradata) {
            return fail(AVERROR(ENOMEM));
        }
        std::memcpy(parameters.extradata, parameterSets.data(), parameterSets.size());
        parameters.extradata_size = static_cast<int>(parameterSets.size());
    }
    AVDictionary* options = nullptr;
    // Either way the index comes before the media, so that a player starts before the file
    // is all there. Fragments begin at key frames; the first waits for the encoder's delay
    // to be known, so that an edit list still covers it.
    if (format_ == OutputFormat::Mp4 && fragmented_) {
        av_dict_set(&options, "movflags", "+frag_keyframe+empty_moov+delay_moov+default_base_moof",
                    0);
        av_dict_set(&options, "min_frag_duration", "10000000", 0);
    } else if (format_ == OutputFormat::Mp4) {
        av_dict_set(&options, "movflags", "+faststart", 0);
    } else {
        // Checksums over every element took a fifth of a Matroska conversion's time; the
        // players do not check them.
        av_dict_set(&options, "write_crc32", "0", 0);
    }
    const int result = avformat_write_header(context_, &options);
    av_dict_free(&options);
    if (result < 0) {
        return fail(result);
    }
    // What waited was counted when it came.
    std::vector<Waiting> waiting = std::move(waiting_);
    waiting_.clear();
    waitingBytes_ = 0;
    for (const Waiting& block : waiting) {
        if (int error =
                block.video ? muxVideo(block.bytes, block.keyFrame) : muxAudio(block.bytes)) {
            return error;
        }
    }
    return 0;
}

int MuxedChannelFile::muxVideo(std::span<const std::byte> frame, bool keyFrame) {
    // The muxer is done with the bytes when av_write_frame returns.
    packet_->data = const_cast<std::uint8_t*>(reinterpret_cast<const std::uint8_t*>(frame.data()));
    packet_->size = static_cast<int>(frame.size());
    packet_->pts = packet_->dts = videoFrames_++;
    packet_->duration = 1;
    packet_->flags = keyFrame ? AV_PKT_FLAG_KEY : 0;
    return muxPacket(*packet_, video_, frameTime_);
}

int MuxedChannelFile::muxAudio(std::span<const std::byte> pcm) {
    const auto samples = static_cast<std::int64_t>(pcm.size() / 2);
    if (aac_) {
        const std::span<const std::int16_t> values(
            reinterpret_cast<const std::int16_t*>(pcm.data()), static_cast<std::size_t>(samples));
        if (int result = aac_->encode(values, aacPackets_); result < 0) {
            return error_ ? error_ : fail(result);
        }
        audioSamples_ += samples;
        return 0;
    }
    packet_->data = const_cast<std::uint8_t*>(reinterpret_cast<const std::uint8_t*>(pcm.data()));
    packet_->size = static_cast<int>(pcm.size());
    packet_->pts = packet_->dts = audioSamples_;
    packet_->duration = samples;
    packet_->flags = AV_PKT_FLAG_KEY;
    audioSamples_ += samples;
    return muxPacket(*packet_, audio_, kSampleTime);
}

int MuxedChannelFile::muxPacket(AVPacket& packet, AVStream* stream, AVRational timeBase) {
    packet.stream_index = stream->index;
    av_packet_rescale_ts(&packet, timeBase, stream->time_base);
    // The recording interleaves its channels' video and voice by time already; written as
    // they come, the packets are neither copied nor held back.
    if (int result = av_write_frame(context_, &packet); result < 0) {
        return fail(result);
    }
    return 0;
}

int MuxedChannelFile::finish() {
    if (finished_) {
        return error_;
    }
    if (!started_ && !error_) {
        startFile({});
    }
    finished_ = true;
    if (aac_ && !error_) {
        const int flushed = aac_->flush(aacPackets_);
        if (flushed < 0 && !error_) {
            fail(flushed);
        }
    }
    if (!error_) {
        if (int result = av_write_trailer(context_); result < 0) {
            fail(result);
        }
    }
    context_->pb = nullptr;
    if (int result = io_->close(); result < 0 && !error_) {
        fail(result);
    }
    // An MP4 file is indexed only at its end, and how much of a Matroska file reached the
    // disk is unknown once the muxer's buffers failed: a file not completed counts as
    // holding nothing.
    if (error_) {
        chunks_ = 0;
        voiceChunks_ = 0;
    }
    return error_;
}

int MuxedChannelFile::fail(int averror) {
    if (!error_) {
        error_ = errnoOf(averror);
    }
    return error_;
}

}  // namespace kinorex

int kinorexCreateMuxedFile(std::unique_ptr<kinorex::FileSink> sink, const char* path,
                           kinorex::OutputFormat format, bool fragmented,
                           std::unique_ptr<kinorex::ChannelFile>& file) {
    int error = 0;
    file = kinorex::MuxedChannelFile::create(std::move(sink), path, format, fragmented, error);
    return error;
}
