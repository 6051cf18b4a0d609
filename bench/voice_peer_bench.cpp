// Our codecs against the two libraries a user would otherwise reach for, in one run on the same
// minute of speech: spandsp (G.711, IMA ADPCM, G.726 on linear PCM) and libavcodec (G.711,
// G.726, its plain-nibble IMA ADPCM). Ours runs through the exported HI_VOICE_ functions in
// frames of 320 samples, as a caller would use it. Every row prints million samples per second
// and our ratio to the faster of the two peers.
//
// Rates are per second of the thread's CPU time, and each row is measured in several rounds,
// all three implementations side by side in each round, with the median printed: other work
// on the machine still moves every figure through the caches.
//
//     voice_peer_bench [ROUNDS]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <spandsp.h>
}

#include "hi_voice.h"

namespace {

using Pcm = std::vector<std::int16_t>;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSpeechSamples = 60 * 8000;
constexpr int kOurFrameSamples = 320;

// The fixtures' speech, end to end, repeated to a minute.
Pcm loadSpeech() {
    Pcm recording;
    for (int n = 1; n <= 4; ++n) {
        const std::string path =
            std::string(KINOREX_FIXTURES_DIR) + "/speech_" + std::to_string(n) + ".s16";
        std::ifstream in(path, std::ios::binary);
        Pcm part(4096);
        while (in.read(reinterpret_cast<char*>(part.data()),
                       std::streamsize(part.size() * sizeof(std::int16_t))) ||
               in.gcount() > 0) {
            recording.insert(recording.end(), part.begin(),
                             part.begin() + in.gcount() / std::streamsize(sizeof(std::int16_t)));
        }
    }
    if (recording.empty()) {
        std::fprintf(stderr, "no speech in %s\n", KINOREX_FIXTURES_DIR);
        std::exit(1);
    }
    Pcm speech(kSpeechSamples);
    for (std::size_t i = 0; i < speech.size(); ++i) {
        speech[i] = recording[i % recording.size()];
    }
    return speech;
}

// One pass turns the whole minute into the other representation, in a buffer allocated once
// (room for the longest output), and returns how much of it the output fills; the encoder's
// output is kept for the decoder's pass to read.
struct Codec {
    std::function<std::size_t(const Pcm&, Bytes&)> encode;
    std::function<std::size_t(std::span<const std::uint8_t>, Pcm&)> decode;
};

// ---- ours, through the exported functions ----

Codec ours(std::int32_t type) {
    return {[type](const Pcm& pcm, Bytes& frames) {
                HiVoiceContext context{};
                HI_VOICE_EncReset(&context, type);
                std::uint8_t* out = frames.data();
                for (std::size_t start = 0; start + kOurFrameSamples <= pcm.size();
                     start += kOurFrameSamples) {
                    HI_VOICE_EncodeFrame(&context, pcm.data() + start, out, kOurFrameSamples);
                    out += HI_VOICE_FRAME_HEADER_BYTES + 2 * out[2];
                }
                return std::size_t(out - frames.data());
            },
            [type](std::span<const std::uint8_t> frames, Pcm& pcm) {
                HiVoiceContext context{};
                HI_VOICE_DecReset(&context, type);
                // MSB-first types repack the frame in place, so each is decoded from a copy.
                std::uint8_t frame[HI_VOICE_MAX_ENCODED_BYTES];
                std::size_t samples = 0;
                for (std::size_t at = 0; at < frames.size();) {
                    const std::size_t bytes = HI_VOICE_FRAME_HEADER_BYTES + 2 * frames[at + 2];
                    std::memcpy(frame, frames.data() + at, bytes);
                    std::int16_t count = 0;
                    HI_VOICE_DecodeFrame(&context, frame, pcm.data() + samples, &count);
                    samples += std::size_t(count);
                    at += bytes;
                }
                return samples;
            }};
}

// ---- spandsp ----

Codec spandspG711(int law) {
    return {[law](const Pcm& pcm, Bytes& out) {
                g711_state_t* s = g711_init(nullptr, law);
                const int bytes = g711_encode(s, out.data(), pcm.data(), int(pcm.size()));
                g711_free(s);
                return std::size_t(bytes);
            },
            [law](std::span<const std::uint8_t> codes, Pcm& out) {
                g711_state_t* s = g711_init(nullptr, law);
                const int samples = g711_decode(s, out.data(), codes.data(), int(codes.size()));
                g711_free(s);
                return std::size_t(samples);
            }};
}

Codec spandspAdpcm() {
    return {[](const Pcm& pcm, Bytes& out) {
                ima_adpcm_state_t* s = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
                const int bytes = ima_adpcm_encode(s, out.data(), pcm.data(), int(pcm.size()));
                ima_adpcm_free(s);
                return std::size_t(bytes);
            },
            [](std::span<const std::uint8_t> codes, Pcm& out) {
                ima_adpcm_state_t* s = ima_adpcm_init(nullptr, IMA_ADPCM_DVI4, 0);
                const int samples =
                    ima_adpcm_decode(s, out.data(), codes.data(), int(codes.size()));
                ima_adpcm_free(s);
                return std::size_t(samples);
            }};
}

Codec spandspG726(int bits, bool msbFirst) {
    const int rate = bits * 8000;
    const int packing = msbFirst ? G726_PACKING_LEFT : G726_PACKING_RIGHT;
    return {[=](const Pcm& pcm, Bytes& out) {
                g726_state_t* s = g726_init(nullptr, rate, G726_ENCODING_LINEAR, packing);
                const int bytes = g726_encode(s, out.data(), pcm.data(), int(pcm.size()));
                g726_free(s);
                return std::size_t(bytes);
            },
            [=](std::span<const std::uint8_t> codes, Pcm& out) {
                g726_state_t* s = g726_init(nullptr, rate, G726_ENCODING_LINEAR, packing);
                const int samples = g726_decode(s, out.data(), codes.data(), int(codes.size()));
                g726_free(s);
                return std::size_t(samples);
            }};
}

// ---- libavcodec ----

AVCodecContext* openContext(const AVCodec* codec, int bits) {
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = 8000;
    av_channel_layout_default(&context->ch_layout, 1);
    context->sample_fmt = AV_SAMPLE_FMT_S16;
    context->bit_rate = bits * 8000;
    context->bits_per_coded_sample = bits;
    if (avcodec_open2(context, codec, nullptr) < 0) {
        std::fprintf(stderr, "libavcodec cannot open %s\n", codec->name);
        std::exit(1);
    }
    return context;
}

std::size_t drainPackets(AVCodecContext* context, AVPacket* packet, Bytes& out, std::size_t used) {
    while (avcodec_receive_packet(context, packet) == 0) {
        std::memcpy(out.data() + used, packet->data, std::size_t(packet->size));
        used += std::size_t(packet->size);
        av_packet_unref(packet);
    }
    return used;
}

std::size_t drainFrames(AVCodecContext* context, AVFrame* frame, Pcm& out, std::size_t used) {
    while (avcodec_receive_frame(context, frame) == 0) {
        std::memcpy(out.data() + used, frame->data[0], std::size_t(frame->nb_samples) * 2);
        used += std::size_t(frame->nb_samples);
    }
    return used;
}

// Each encoder takes frames of its own size where it fixes one (G.726, IMA ADPCM), else of
// 320 samples; the decoder reads packets of the bytes of 320 samples.
Codec libavcodec(const char* encoderName, AVCodecID id, int bits) {
    return {
        [=](const Pcm& pcm, Bytes& out) {
            AVCodecContext* context = openContext(avcodec_find_encoder_by_name(encoderName), bits);
            const std::size_t frameSamples =
                std::size_t(context->frame_size > 0 ? context->frame_size : kOurFrameSamples);
            AVFrame* frame = av_frame_alloc();
            AVPacket* packet = av_packet_alloc();
            std::size_t used = 0;
            for (std::size_t start = 0; start + frameSamples <= pcm.size(); start += frameSamples) {
                frame->nb_samples = int(frameSamples);
                frame->format = AV_SAMPLE_FMT_S16;
                av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
                frame->sample_rate = 8000;
                frame->data[0] =
                    reinterpret_cast<std::uint8_t*>(const_cast<std::int16_t*>(pcm.data() + start));
                frame->linesize[0] = frame->nb_samples * 2;
                avcodec_send_frame(context, frame);
                used = drainPackets(context, packet, out, used);
            }
            avcodec_send_frame(context, nullptr);
            used = drainPackets(context, packet, out, used);
            av_packet_free(&packet);
            av_frame_free(&frame);
            avcodec_free_context(&context);
            return used;
        },
        [=](std::span<const std::uint8_t> codes, Pcm& out) {
            AVCodecContext* context = openContext(avcodec_find_decoder(id), bits);
            const std::size_t packetBytes = std::size_t(kOurFrameSamples * bits / 8);
            AVFrame* frame = av_frame_alloc();
            AVPacket* packet = av_packet_alloc();
            std::size_t used = 0;
            for (std::size_t at = 0; at + packetBytes <= codes.size(); at += packetBytes) {
                packet->data = const_cast<std::uint8_t*>(codes.data() + at);
                packet->size = int(packetBytes);
                avcodec_send_packet(context, packet);
                used = drainFrames(context, frame, out, used);
            }
            av_packet_free(&packet);
            av_frame_free(&frame);
            avcodec_free_context(&context);
            return used;
        }};
}

// ---- measurement ----

// The thread's CPU time rather than the wall clock: the machine is usually shared, and time
// spent waiting for a core is no codec's.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Million samples per CPU second for one pass over the minute of speech, repeated until it
// has run long enough for the clock.
template <typename Pass>
double rate(Pass pass) {
    int passes = 0;
    const double start = cpuSeconds();
    double elapsed = 0;
    do {
        pass();
        ++passes;
        elapsed = cpuSeconds() - start;
    } while (elapsed < 0.04);
    return double(kSpeechSamples) * passes / elapsed / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Row {
    std::string codec;
    double target;
    Codec ours;
    std::optional<Codec> spandsp;
    std::optional<Codec> libavcodec;
};

struct Figures {
    std::vector<double> encode[3];
    std::vector<double> decode[3];
};

void measure(const Pcm& speech, const Codec& codec, std::vector<double>& encode,
             std::vector<double>& decode) {
    // Room for the longest output: G.711 frames, or a decoder's samples plus one frame.
    Bytes encoded(speech.size() * 2);
    Pcm decoded(speech.size() + HI_VOICE_MAX_DECODED_SAMPLES);
    std::size_t used = 0;
    encode.push_back(rate([&] { used = codec.encode(speech, encoded); }));
    const std::span<const std::uint8_t> codes(encoded.data(), used);
    decode.push_back(rate([&] { codec.decode(codes, decoded); }));
}

std::string cell(const std::vector<double>& values) {
    if (values.empty()) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", median(values));
    return text;
}

void printLine(const Row& row, const char* direction, const std::vector<double> (&figures)[3]) {
    const double ourRate = median(figures[0]);
    double peer = 0;
    for (int i = 1; i < 3; ++i) {
        if (!figures[i].empty()) {
            peer = std::max(peer, median(figures[i]));
        }
    }
    const double ratio = ourRate / peer;
    std::printf("%-22s %-7s %9s %9s %11s %7.2f %7.1f  %s\n", row.codec.c_str(), direction,
                cell(figures[0]).c_str(), cell(figures[1]).c_str(), cell(figures[2]).c_str(), ratio,
                row.target, ratio >= row.target ? "ok" : "BELOW");
}

std::vector<Row> rows() {
    std::vector<Row> table;
    table.push_back({"G.711 A-law (1)", 1.0, ours(HI_VOICE_TYPE_G711_ALAW), spandspG711(G711_ALAW),
                     libavcodec("pcm_alaw", AV_CODEC_ID_PCM_ALAW, 8)});
    table.push_back({"G.711 mu-law (2)", 1.0, ours(HI_VOICE_TYPE_G711_ULAW), spandspG711(G711_ULAW),
                     libavcodec("pcm_mulaw", AV_CODEC_ID_PCM_MULAW, 8)});
    table.push_back({"IMA ADPCM (3)", 1.5, ours(HI_VOICE_TYPE_ADPCM), spandspAdpcm(),
                     libavcodec("adpcm_ima_ssi", AV_CODEC_ID_ADPCM_IMA_SSI, 4)});
    table.push_back({"IMA ADPCM (67)", 1.5, ours(HI_VOICE_TYPE_ADPCM_STATELESS), spandspAdpcm(),
                     libavcodec("adpcm_ima_ssi", AV_CODEC_ID_ADPCM_IMA_SSI, 4)});
    for (int bits = 2; bits <= 5; ++bits) {
        const std::int32_t lsbType = HI_VOICE_TYPE_G726_16K + bits - 2;
        const std::string rate = std::to_string(bits * 8) + "k";
        table.push_back({"G.726 " + rate + " LSB (" + std::to_string(lsbType) + ")", 1.5,
                         ours(lsbType), spandspG726(bits, false),
                         libavcodec("g726le", AV_CODEC_ID_ADPCM_G726LE, bits)});
        table.push_back({"G.726 " + rate + " MSB (" + std::to_string(lsbType + 0x20) + ")", 1.5,
                         ours(lsbType + 0x20), spandspG726(bits, true),
                         libavcodec("g726", AV_CODEC_ID_ADPCM_G726, bits)});
    }
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const Pcm speech = loadSpeech();
    const std::vector<Row> table = rows();
    std::vector<Figures> figures(table.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t r = 0; r < table.size(); ++r) {
            const Row& row = table[r];
            Figures& f = figures[r];
            measure(speech, row.ours, f.encode[0], f.decode[0]);
            if (row.spandsp) {
                measure(speech, *row.spandsp, f.encode[1], f.decode[1]);
            }
            if (row.libavcodec) {
                measure(speech, *row.libavcodec, f.encode[2], f.decode[2]);
            }
        }
    }
    std::printf(
        "M samples per CPU second, median of %d rounds, 60 s of 8 kHz speech; ours in %d-sample "
        "frames\n",
        rounds, kOurFrameSamples);
    std::printf("%-22s %-7s %9s %9s %11s %7s %7s\n", "codec (type)", "", "ours", "spandsp",
                "libavcodec", "ratio", "target");
    for (std::size_t r = 0; r < table.size(); ++r) {
        printLine(table[r], "encode", figures[r].encode);
        printLine(table[r], "decode", figures[r].decode);
    }
    return 0;
}
