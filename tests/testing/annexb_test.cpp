#include "annexb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>

#include "media_files.h"

namespace kinorex::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes join(const std::vector<AccessUnit>& units) {
    Bytes all;
    for (const AccessUnit& unit : units) {
        all.insert(all.end(), unit.bytes.begin(), unit.bytes.end());
    }
    return all;
}

// Counted with ffprobe when the fixtures were made (tests/fixtures/README.md).
struct Clip {
    const char* name;
    int pictures;
    int keyFrames;
    int keyInterval;
};

void PrintTo(const Clip& clip, std::ostream* out) {
    *out << clip.name;
}

const Clip kClips[] = {
    {"pal_704x576_25fps.264", 100, 4, 25}, {"pal_352x288_25fps.264", 100, 4, 25},
    {"pal_704x288_25fps.264", 75, 3, 25},  {"ntsc_640x480_30fps.264", 90, 3, 30},
    {"ntsc_640x240_30fps.264", 90, 3, 30}, {"ntsc_320x240_15fps.264", 60, 4, 15},
};

class FixtureClip : public ::testing::TestWithParam<Clip> {};

TEST_P(FixtureClip, SplitsIntoFfprobesPicturesWithRepeatedHeadersOnKeyFrames) {
    const Clip clip = GetParam();
    const Bytes stream = readFileBytes(fixturePath(clip.name));
    const std::vector<AccessUnit> units = splitAccessUnits(stream);

    ASSERT_EQ(units.size(), static_cast<std::size_t>(clip.pictures));
    EXPECT_EQ(join(units), stream);
    int keyFrames = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool expectKey = i % clip.keyInterval == 0;
        ASSERT_EQ(units[i].idr, expectKey) << "picture " << i;
        keyFrames += units[i].idr ? 1 : 0;
        // A key frame must decode on its own, so its parameter sets travel with it.
        const std::vector<int> types = nalUnitTypes(units[i].bytes);
        const auto slice = std::ranges::find_if(types, [](int t) { return t == 1 || t == 5; });
        const bool hasParameterSets = std::find(types.begin(), slice, 7) != slice &&
                                      std::find(types.begin(), slice, 8) != slice;
        EXPECT_EQ(hasParameterSets, expectKey) << "picture " << i;
    }
    EXPECT_EQ(keyFrames, clip.keyFrames);
}

INSTANTIATE_TEST_SUITE_P(Clips, FixtureClip, ::testing::ValuesIn(kClips), [](const auto& info) {
    std::string name = info.param.name;
    return name.substr(0, name.find('.'));
});

// A NAL unit with a 4-byte start code (or 3-byte when `shortStartCode`), the
// given type and a first payload byte.
Bytes nal(int type, std::uint8_t firstPayloadByte, bool shortStartCode = false) {
    Bytes bytes = shortStartCode ? Bytes{0, 0, 1} : Bytes{0, 0, 0, 1};
    bytes.push_back(static_cast<std::uint8_t>(0x60 | type));
    bytes.insert(bytes.end(), {firstPayloadByte, 0x55, 0xaa});
    return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

constexpr std::uint8_t kFirstSlice = 0x88;  // first_mb_in_slice = 0
constexpr std::uint8_t kLaterSlice = 0x12;  // first_mb_in_slice > 0

TEST(AnnexB, LeadingNonPictureUnitsBelongToTheFollowingPicture) {
    const Bytes key = concat({nal(9, 0x10), nal(7, 0x42), nal(8, 0xce), nal(6, 0x05),
                              nal(5, kFirstSlice), nal(5, kLaterSlice, true)});
    const Bytes next = concat({nal(9, 0x30), nal(1, kFirstSlice), nal(1, kLaterSlice, true)});
    const Bytes last = concat({nal(6, 0x05, true), nal(1, kFirstSlice, true), nal(11, 0x00)});

    const auto units = splitAccessUnits(concat({key, next, last}));

    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0].bytes, key);
    EXPECT_TRUE(units[0].idr);
    EXPECT_EQ(units[1].bytes, next);
    EXPECT_FALSE(units[1].idr);
    EXPECT_EQ(units[2].bytes, last);  // the end-of-stream unit stays with the last picture
    EXPECT_FALSE(units[2].idr);
}

TEST(AnnexB, PictureWithoutLeadInStartsAtItsOwnStartCode) {
    const Bytes first = concat({Bytes{0xde, 0xad}, nal(5, kFirstSlice)});
    const Bytes second = nal(1, kFirstSlice, true);
    const Bytes third = nal(1, kFirstSlice);

    const auto units = splitAccessUnits(concat({first, second, third}));

    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0].bytes, first);  // bytes before the first start code are kept
    EXPECT_EQ(units[1].bytes, second);
    EXPECT_EQ(units[2].bytes, third);
}

TEST(AnnexB, StreamsWithoutAPictureGiveNoUnits) {
    EXPECT_TRUE(splitAccessUnits({}).empty());
    EXPECT_TRUE(splitAccessUnits(Bytes{0, 0, 0, 1}).empty());
    EXPECT_TRUE(splitAccessUnits(concat({nal(7, 0x42), nal(8, 0xce)})).empty());
    EXPECT_TRUE(splitAccessUnits(nal(1, kLaterSlice)).empty());
    EXPECT_TRUE(splitAccessUnits(Bytes{0, 0, 1, 0x65}).empty());  // slice header cut off
}

TEST(AnnexB, ReportsUnitTypesAndIdr) {
    const Bytes key = concat({nal(7, 0x42), nal(8, 0xce, true), nal(5, kFirstSlice)});
    EXPECT_EQ(nalUnitTypes(key), (std::vector<int>{7, 8, 5}));
    EXPECT_TRUE(containsIdr(key));
    EXPECT_FALSE(containsIdr(concat({nal(9, 0x10), nal(1, kFirstSlice)})));
    EXPECT_FALSE(containsIdr(Bytes{0x65, 0x88}));  // no start code: not a NAL unit
    EXPECT_FALSE(containsIdr({}));
}

TEST(AnnexB, ArbitraryBytesSplitWithoutLosingAnyByte) {
    std::mt19937 random(20261208);
    // Mostly zeros and ones so that start codes and slice headers turn up often.
    std::discrete_distribution<int> pick({6, 4, 1, 1, 1});
    const std::uint8_t values[] = {0x00, 0x01, 0x65, 0x41, 0x88};
    for (int round = 0; round < 500; ++round) {
        Bytes stream(random() % 64);
        for (auto& byte : stream) {
            byte = values[pick(random)];
        }
        const auto units = splitAccessUnits(stream);
        if (!units.empty()) {
            ASSERT_EQ(join(units), stream) << "round " << round;
        }
        for (const AccessUnit& unit : units) {
            ASSERT_FALSE(unit.bytes.empty());
        }
    }
}

}  // namespace
}  // namespace kinorex::test
