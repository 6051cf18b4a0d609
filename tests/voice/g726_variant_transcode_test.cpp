// Transcode type 100: type-68 frames rewritten in place as type-4 (G.726 16 kbit/s) frames.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "hi_voice.h"
#include "speech_signals.h"

namespace kinorex::voice {
namespace {

constexpr std::int16_t kFrameSamples = 160;
constexpr std::size_t kFrameBytes = HI_VOICE_FRAME_HEADER_BYTES + kFrameSamples / 4;

using Buffer = std::array<std::uint8_t, HI_VOICE_MAX_ENCODED_BYTES>;

struct Decoder {
    explicit Decoder(std::int16_t type) {
        EXPECT_EQ(HI_VOICE_DecReset(&context, type), HI_VOICE_OK);
    }

    void decodeInto(std::uint8_t* frame, std::vector<std::int16_t>& out) {
        std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm{};
        std::int16_t count = 0;
        EXPECT_EQ(HI_VOICE_DecodeFrame(&context, frame, pcm.data(), &count), HI_VOICE_OK);
        out.insert(out.end(), pcm.begin(), pcm.begin() + count);
    }

    HiVoiceContext context{};
};

TEST(G726VariantTranscode, SpeechFramesBecomeType4FramesOfTheSameLength) {
    const auto speech = allSpeech();
    HiVoiceContext encoder{};
    ASSERT_EQ(HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_G726_16K_VARIANT), HI_VOICE_OK);
    HiVoiceTranscoder transcoder{};
    ASSERT_EQ(HI_VOICE_TransCodeReset(&transcoder, HI_VOICE_TRANSCODE_G726_16K), HI_VOICE_OK);
    Decoder variantDecoder(HI_VOICE_TYPE_G726_16K_VARIANT);
    Decoder type4Decoder(HI_VOICE_TYPE_G726_16K);

    std::vector<std::int16_t> viaVariant;
    std::vector<std::int16_t> viaType4;
    for (std::size_t start = 0; start + kFrameSamples <= speech.size(); start += kFrameSamples) {
        Buffer frame;
        frame.fill(0xEE);
        ASSERT_EQ(HI_VOICE_EncodeFrame(&encoder, &speech[start], frame.data(), kFrameSamples),
                  HI_VOICE_OK);
        Buffer untouched = frame;
        variantDecoder.decodeInto(untouched.data(), viaVariant);

        ASSERT_EQ(HI_VOICE_TransCodeFrame(&transcoder, frame.data()), HI_VOICE_OK);
        ASSERT_EQ(frame[2], kFrameSamples / 8) << "L words in, L words out";
        ASSERT_EQ(frame[kFrameBytes], 0xEE) << "the frame must keep its size";
        type4Decoder.decodeInto(frame.data(), viaType4);
    }

    ASSERT_EQ(viaType4.size(), viaVariant.size());
    const double snr = snrDb(viaVariant, viaType4);
    std::printf("type-4 decoding against type-68 decoding: SNR %.2f dB\n", snr);
    EXPECT_GT(snr, 6.0);
}

}  // namespace
}  // namespace kinorex::voice
