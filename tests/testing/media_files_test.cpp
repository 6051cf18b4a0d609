#include "media_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kinorex::test {
namespace {

std::filesystem::path writeTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(LoadS16, DecodesLittleEndianSignedSamples) {
    const auto path =
        writeTemp("media_files_le.s16", {0x01, 0x80, 0xff, 0x7f, 0xfe, 0xff, 0x00, 0x00});
    EXPECT_EQ(loadS16(path), (std::vector<std::int16_t>{-32767, 32767, -2, 0}));
}

TEST(LoadS16, RejectsWhatIsNotWholeSamples) {
    EXPECT_THROW(loadS16(writeTemp("media_files_odd.s16", {0x01, 0x02, 0x03})), std::runtime_error);
    EXPECT_THROW(loadS16(fixturePath("no_such_file.s16")), std::runtime_error);
    EXPECT_THROW(loadS16(::testing::TempDir()), std::runtime_error);  // a folder
    EXPECT_TRUE(loadS16(writeTemp("media_files_empty.s16", {})).empty());
}

// Sample counts as made by make_fixtures.sh: whole 120 ms blocks, so that voice
// frames of 80 to 480 samples divide them; normalised to -3 dBFS, which only a
// correct little-endian reading reproduces.
TEST(SpeechFixtures, AreSeveralSecondsOfNormalisedSpeech) {
    const std::pair<const char*, std::size_t> kSpeech[] = {{"speech_1.s16", 30720},
                                                           {"speech_2.s16", 31680},
                                                           {"speech_3.s16", 33600},
                                                           {"speech_4.s16", 28800}};
    for (const auto& [name, count] : kSpeech) {
        SCOPED_TRACE(name);
        const std::vector<std::int16_t> samples = loadS16(fixturePath(name));
        ASSERT_EQ(samples.size(), count);
        EXPECT_EQ(samples.size() % 960, 0u);
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        const int peak = std::max(-static_cast<int>(*low), static_cast<int>(*high));
        EXPECT_NEAR(peak, 23197, 10);  // 32768 * 10^(-3/20)
    }
}

}  // namespace
}  // namespace kinorex::test
