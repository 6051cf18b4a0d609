#include <gtest/gtest.h>

#include <cstdint>

#include "hi_voice.h"

extern "C" std::int32_t voiceRoundTripFromC(std::int16_t* decoded, std::int16_t* count);

TEST(VoiceCHeader, CallerWrittenInCRoundTripsAFrame) {
    std::int16_t decoded[HI_VOICE_MAX_DECODED_SAMPLES];
    std::int16_t count = -1;
    ASSERT_EQ(voiceRoundTripFromC(decoded, &count), HI_VOICE_OK);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(decoded[3], 240);
}
