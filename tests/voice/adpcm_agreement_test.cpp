// Encoder and decoder must reconstruct the same signal, frame after frame, over long stretches
// of speech-like input with silences and full-scale bursts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "adpcm.h"
#include "hi_voice.h"
#include "speech_signals.h"
#include "voice_test_support.h"

namespace kinorex::voice {
namespace {

using namespace testing;

constexpr std::size_t kSignalSamples = 8000 * 30;

const Samples& speech() {
    static const Samples signal = testing::speechLikeSignal(kSignalSamples);
    return signal;
}

// The encoder's own reconstruction: the prediction after each sample.
Samples reconstruct(const Samples& input) {
    AdpcmState state;
    Samples output;
    for (const auto sample : input) {
        encodeAdpcm(state, std::span(&sample, 1), {}, NibbleOrder::kHighFirst);
        output.push_back(state.predicted);
    }
    return output;
}

// Encodes the signal in frames of frameSamples with one encoder and decodes every frame with
// one decoder, returning the decoded stream and the positions of the samples it holds.
struct Decoded {
    Samples samples;
    std::vector<std::size_t> positions;
};

Decoded roundTrip(int type, const Samples& input, std::size_t frameSamples) {
    auto encoder = encoderFor(type);
    auto decoder = decoderFor(type);
    Decoded decoded;
    for (std::size_t start = 0; start + frameSamples <= input.size(); start += frameSamples) {
        const Samples pcm(input.begin() + start, input.begin() + start + frameSamples);
        const auto samples = decodeFrame(decoder, encodeFrame(encoder, pcm));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            decoded.samples.push_back(samples[i]);
            decoded.positions.push_back(start + i);
        }
    }
    return decoded;
}

TEST(AdpcmAgreement, Type3And67DecodersReproduceTheEncoderExactly) {
    const auto expected = reconstruct(speech());
    for (const int type : {HI_VOICE_TYPE_ADPCM, HI_VOICE_TYPE_ADPCM_STATELESS}) {
        const auto decoded = roundTrip(type, speech(), 320);
        ASSERT_EQ(decoded.samples.size(), kSignalSamples) << type;
        EXPECT_EQ(decoded.samples, expected) << type;
        // 4-bit IMA ADPCM keeps speech about 19 dB above its coding noise; a wrong table or
        // sign shared by encoder and decoder would fall far below the bound.
        EXPECT_GT(snrDb(speech(), decoded.samples), 16.0) << type;
    }
}

// Frames of 322 samples leave two samples per frame uncarried; the state words of the next
// frame still bring the decoder back to the encoder's state.
TEST(AdpcmAgreement, Type3StaysInStepWhenFramesDropTrailingSamples) {
    const auto expected = reconstruct(speech());
    const auto decoded = roundTrip(HI_VOICE_TYPE_ADPCM, speech(), 322);
    ASSERT_EQ(decoded.samples.size(), kSignalSamples / 322 * 320);
    for (std::size_t i = 0; i < decoded.samples.size(); ++i) {
        ASSERT_EQ(decoded.samples[i], expected[decoded.positions[i]]) << "at " << i;
    }
}

TEST(AdpcmAgreement, Type35RestartsEachFrameFromItsFirstSample) {
    const std::size_t frameSamples = 321;
    const auto decoded = roundTrip(HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE, speech(), frameSamples);
    ASSERT_EQ(decoded.samples.size(), kSignalSamples / frameSamples * frameSamples);
    AdpcmState state;
    for (std::size_t i = 0; i < decoded.samples.size(); ++i) {
        const auto input = speech()[decoded.positions[i]];
        if (decoded.positions[i] % frameSamples == 0) {
            state.predicted = input;
            ASSERT_EQ(decoded.samples[i], input) << "at " << i;
        } else {
            encodeAdpcm(state, std::span(&input, 1), {}, NibbleOrder::kHighFirst);
            ASSERT_EQ(decoded.samples[i], state.predicted) << "at " << i;
        }
    }
    const Samples carried(speech().begin(), speech().begin() + decoded.samples.size());
    EXPECT_GT(snrDb(carried, decoded.samples), 16.0);
}

}  // namespace
}  // namespace kinorex::voice
