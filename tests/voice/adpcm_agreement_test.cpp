// Encoder and decoder must reconstruct the same signal, frame after frame, over long stretches
// of speech-like input with silences and full-scale bursts; and the batch decoder must give
// what the frame decoder gives, frame by frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "adpcm.h"
#include "adpcm_frames.h"
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

// Each frame in a buffer of exactly its own bytes, so that the sanitizer sees any read past it.
using Frames = std::vector<Bytes>;

int uniform(std::mt19937& random, int lowest, int highest) {
    return std::uniform_int_distribution(lowest, highest)(random);
}

// The speech as type-3 frames of `samples` samples each, or of random lengths when 0.
Frames speechFrames(std::mt19937& random, int samples) {
    auto encoder = encoderFor(HI_VOICE_TYPE_ADPCM);
    Frames frames;
    for (auto at = speech().begin();;) {
        const int count = samples > 0 ? samples : uniform(random, 1, HI_VOICE_MAX_ENCODE_SAMPLES);
        if (speech().end() - at < count) {
            return frames;
        }
        frames.push_back(encodeFrame(encoder, Samples(at, at + count)));
        at += count;
    }
}

// Random bytes behind headers of every kind: good, bad marks, length bytes of 0, 1 and past
// 122; about two in three step-index bytes lie above 88.
Frames garbageFrames(std::mt19937& random) {
    Frames frames;
    for (int i = 0; i < 300; ++i) {
        const int length = i % 3 == 0 ? uniform(random, 0, 255) : uniform(random, 2, 122);
        Bytes frame(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t(length));
        std::ranges::generate(frame, [&random] { return std::uint8_t(uniform(random, 0, 255)); });
        if (i % 5 != 0) {
            frame[1] = static_cast<std::uint8_t>((frame[1] & ~3) | 1);
        }
        frame[2] = static_cast<std::uint8_t>(length);
        frames.push_back(frame);
    }
    return frames;
}

void expectBatchDecodesAsFrameDecoder(const Frames& frames, AdpcmBatchPath path) {
    constexpr std::int16_t kUntouched = 0x5A5A;
    std::vector<Samples> pcm(frames.size(), Samples(HI_VOICE_MAX_DECODED_SAMPLES, kUntouched));
    std::vector<AdpcmFrameJob> jobs;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        jobs.push_back({frames[i].data(), pcm[i].data(), -1});
    }
    decodeAdpcmFrames(jobs, path);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
        Bytes frame = frames[i];
        Samples expected(HI_VOICE_MAX_DECODED_SAMPLES, kUntouched);
        std::int16_t count = -1;
        HI_VOICE_DecodeFrame(&decoder, frame.data(), expected.data(), &count);
        ASSERT_EQ(jobs[i].samples, count) << "frame " << i << " of " << frames.size();
        ASSERT_EQ(pcm[i], expected) << "frame " << i << " of " << frames.size();
    }
}

class AdpcmBatch : public ::testing::TestWithParam<AdpcmBatchPath> {
protected:
    void SetUp() override {
        if (!adpcmBatchPathAvailable(GetParam())) {
            GTEST_SKIP() << "not available on this processor";
        }
    }
    std::mt19937 random_{15};
};

// Batch sizes around every kernel's width leave groups and stragglers of every size.
TEST_P(AdpcmBatch, SpeechFramesDecodeAsOneByOneInBatchesOfAnySize) {
    const Frames frames = speechFrames(random_, 320);
    for (const std::size_t size : {0, 1, 3, 4, 7, 8, 17, 31, 32, 33, 77, 200}) {
        SCOPED_TRACE(size);
        expectBatchDecodesAsFrameDecoder(Frames(frames.begin(), frames.begin() + size), GetParam());
    }
}

TEST_P(AdpcmBatch, MixedLengthsAndGarbageDecodeAsOneByOne) {
    Frames frames = speechFrames(random_, 0);
    const Frames garbage = garbageFrames(random_);
    frames.insert(frames.end(), garbage.begin(), garbage.end());
    std::ranges::shuffle(frames, random_);
    expectBatchDecodesAsFrameDecoder(frames, GetParam());
    // Mostly one length, as in a recording, with an odd one out now and then.
    Frames usual = speechFrames(random_, 320);
    for (std::size_t i = 0; i < usual.size(); i += 45) {
        usual[i] = frames[i];
    }
    expectBatchDecodesAsFrameDecoder(usual, GetParam());
}

std::string pathName(const ::testing::TestParamInfo<AdpcmBatchPath>& path) {
    constexpr std::array kNames = {"Portable", "Avx2", "Avx512"};
    return kNames[static_cast<std::size_t>(path.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryPath, AdpcmBatch,
                         ::testing::Values(AdpcmBatchPath::kPortable, AdpcmBatchPath::kAvx2,
                                           AdpcmBatchPath::kAvx512),
                         pathName);

TEST(AdpcmBatchDefault, TakesAnAvailablePath) {
    std::mt19937 random(16);
    const Frames frames = speechFrames(random, 320);
    Samples pcm(HI_VOICE_MAX_DECODED_SAMPLES);
    AdpcmFrameJob job{frames[100].data(), pcm.data()};
    decodeAdpcmFrames(std::span(&job, 1));
    auto decoder = decoderFor(HI_VOICE_TYPE_ADPCM);
    EXPECT_EQ(Samples(pcm.begin(), pcm.begin() + job.samples), decodeFrame(decoder, frames[100]));
}

}  // namespace
}  // namespace kinorex::voice
