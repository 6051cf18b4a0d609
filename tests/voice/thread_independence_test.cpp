// Contexts used on different threads at once must not disturb each other: the library keeps
// no state of its own. Run under the tsan preset, this also shows that no shared memory is
// written behind the caller's back.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "hi_voice.h"
#include "speech_signals.h"
#include "voice_test_support.h"

namespace kinorex::voice {
namespace {

using namespace testing;

// Encodes and decodes the signal in 320-sample frames with one context pair of `type`.
Samples roundTrip(int type, const Samples& input) {
    auto encoder = testing::encoderFor(type);
    auto decoder = testing::decoderFor(type);
    Samples output;
    for (std::size_t start = 0; start + 320 <= input.size(); start += 320) {
        const Samples pcm(input.begin() + start, input.begin() + start + 320);
        const auto decoded = testing::decodeFrame(decoder, testing::encodeFrame(encoder, pcm));
        output.insert(output.end(), decoded.begin(), decoded.end());
    }
    return output;
}

TEST(VoiceThreads, ContextsOnDifferentThreadsGiveTheSingleThreadedResults) {
    const Samples input = testing::speechLikeSignal(8000 * 5);
    const std::vector<int> types = {HI_VOICE_TYPE_ADPCM, HI_VOICE_TYPE_G711_ALAW,
                                    HI_VOICE_TYPE_G726_32K_MSB, HI_VOICE_TYPE_G726_16K_VARIANT};
    std::vector<Samples> alone;
    for (const int type : types) {
        alone.push_back(roundTrip(type, input));
    }

    std::vector<Samples> together(types.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < types.size(); ++i) {
        threads.emplace_back([&, i] { together[i] = roundTrip(types[i], input); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(together, alone);
}

}  // namespace
}  // namespace kinorex::voice
