// make-fuzz-seeds FOLDER: writes the seed corpus of every fuzz target into FOLDER/<target>/.
// Recordings come from the test-recording builder with voice frames from the generator's
// encoder; voice inputs from our own encoders. Kept small: the fuzzer grows them itself.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "hi_voice.h"
#include "media_files.h"
#include "recording_builder.h"
#include "recording_generator.h"
#include "voice_context_input.h"

namespace {

using kinorex::test::Bytes;
using kinorex::test::RecordingBuilder;
using kinorex::test::testPayload;

void writeSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + (folder / name).string());
    }
}

std::vector<std::int16_t> speech(std::size_t samples) {
    auto pcm = kinorex::test::loadS16(kinorex::test::fixturePath("speech_1.s16"));
    pcm.resize(samples);
    return pcm;
}

// Two channels with video and voice, channel 2 listening to channel 1's audio, an unknown
// record type, a stray channel index and two index blocks.
RecordingBuilder soundRecording() {
    const auto voice = kinorex::tools::encodeSpeech(speech(4 * kinorex::tools::kVoiceFrameSamples));
    RecordingBuilder builder;
    builder.channel(1, 0, 5).channel(2, 1, 4);
    builder.video(0, testPayload(300, 1), true, 1).audio(0, voice[0]);
    builder.video(1, testPayload(200, 2), true, 1).audio(0, voice[1]);
    builder.indexBlock({.entries = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}});
    builder.record({.channelIndex = 0, .type = 9, .payload = testPayload(8)});
    builder.record({.channelIndex = 16, .payload = testPayload(8)});
    builder.video(0, testPayload(150, 3), false, 1).audio(0, voice[2]);
    builder.indexBlock({.entries = {{}, {}}});
    return builder;
}

void writeRecordingSeeds(const std::filesystem::path& folder) {
    writeSeed(folder, "sound", soundRecording().bytes());
    writeSeed(folder, "cut-short",
              soundRecording()
                  .record({.channelIndex = 0, .payload = testPayload(40), .declaredLength = 400})
                  .bytes());
    writeSeed(
        folder, "claims-more-than-held",
        RecordingBuilder()
            .indexEntryCount(400'000'000)
            .indexBlock({.entries = {{}}, .declaredCount = 300'000'000})
            .record({.channelIndex = 0, .payload = testPayload(100), .declaredLength = 0x7FFFFFE8})
            .bytes());
    // Damage for the walk to resynchronise after: a length gone wrong, a zeroed stretch,
    // inserted garbage, and a recording whose index was never written and whose tail is lost.
    Bytes damaged = soundRecording().video(1, testPayload(120, 4), false, 1).bytes();
    damaged[kinorex::test::kHeaderBytes + 20] ^= 0x40;
    writeSeed(folder, "damaged-length", damaged);
    Bytes zeroed = soundRecording().bytes();
    std::fill_n(zeroed.begin() + kinorex::test::kHeaderBytes + 200, 300, 0);
    zeroed.insert(zeroed.begin() + kinorex::test::kHeaderBytes + 700, 77, 0xA5);
    writeSeed(folder, "zeroed-and-garbage", zeroed);
    Bytes powerCut = soundRecording().bytes();
    std::fill_n(powerCut.begin() + 1416, 12, 0);
    powerCut.resize(powerCut.size() - 150);
    writeSeed(folder, "power-cut", powerCut);
    writeSeed(folder, "broken-chain",
              RecordingBuilder()
                  .video(0, testPayload(64), true, 0)
                  .indexBlock({.entries = {{}, {}}, .declaredCount = 7, .trailerMagic = true})
                  .indexEntryCount(3)
                  .bytes());
}

// Decoder input: codec type, no state scribbled, then a frame from that type's encoder.
void writeDecodeSeeds(const std::filesystem::path& folder) {
    const auto pcm = speech(160);
    for (std::size_t i = 0; i < std::size(kinorex::fuzz::kCodecTypes); ++i) {
        HiVoiceContext encoder{};
        HI_VOICE_EncReset(&encoder, kinorex::fuzz::kCodecTypes[i]);
        Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
        if (HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), 160) != HI_VOICE_OK) {
            continue;
        }
        frame.resize(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{frame[2]});
        Bytes seed{static_cast<std::uint8_t>(i), 0};
        seed.insert(seed.end(), frame.begin(), frame.end());
        writeSeed(folder, "type-" + std::to_string(kinorex::fuzz::kCodecTypes[i]), seed);
    }
}

// Encoder input: encode, codec type, no state scribbled, 160 samples; transcoder input:
// transcode, the type's 0x40 variant frame.
void writeEncodeSeeds(const std::filesystem::path& folder) {
    const auto pcm = speech(160);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(pcm.data());
    for (std::size_t i = 0; i < std::size(kinorex::fuzz::kCodecTypes); ++i) {
        Bytes seed{0, static_cast<std::uint8_t>(i), 0, 160, 0};
        seed.insert(seed.end(), raw, raw + 2 * pcm.size());
        writeSeed(folder, "encode-" + std::to_string(kinorex::fuzz::kCodecTypes[i]), seed);
    }
    for (std::uint8_t t = 0; t < 4; ++t) {
        HiVoiceContext encoder{};
        HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_G711_ALAW_SWAPPED + t);
        Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
        HI_VOICE_EncodeFrame(&encoder, pcm.data(), frame.data(), 160);
        frame.resize(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{frame[2]});
        Bytes seed{1, t, 0};
        seed.insert(seed.end(), frame.begin(), frame.end());
        writeSeed(folder, "transcode-" + std::to_string(HI_VOICE_TRANSCODE_G711_ALAW + t), seed);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make-fuzz-seeds FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    try {
        writeRecordingSeeds(root / "recording_reader_fuzz");
        writeRecordingSeeds(root / "converter_fuzz");
        writeDecodeSeeds(root / "voice_decode_fuzz");
        writeEncodeSeeds(root / "voice_encode_fuzz");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-fuzz-seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
