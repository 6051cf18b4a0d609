// The decoder configuration MP4 and Matroska files get from a channel's first frame.
#include "muxed/parameter_sets.h"

#include <gtest/gtest.h>

#include <vector>

namespace kinorex {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> result;
    for (int value : values) {
        result.push_back(static_cast<std::byte>(value));
    }
    return result;
}

TEST(ParameterSets, FirstSpsAndPpsBehindFourByteStartCodes) {
    struct Case {
        const char* what;
        std::vector<std::byte> frame;
        std::vector<std::byte> expected;
    };
    const std::vector<std::byte> configuration =
        bytes({0, 0, 0, 1, 0x67, 0x42, 0x1F, 0, 0, 0, 1, 0x68, 0xCE});
    const Case cases[] = {
        {"three-byte start codes, an IDR slice after",
         bytes({0, 0, 1, 0x67, 0x42, 0x1F, 0, 0, 1, 0x68, 0xCE, 0, 0, 1, 0x65, 0x88}),
         configuration},
        {"delimiter first, trailing zeros and a second SPS",
         bytes({0, 0, 0, 1, 0x09, 0xF0, 0,    0, 0, 1, 0x67, 0x42, 0x1F,
                0, 0, 0, 0, 1,    0x68, 0xCE, 0, 0, 1, 0x67, 0x4D}),
         configuration},
        {"no PPS", bytes({0, 0, 1, 0x67, 0x42, 0x1F, 0, 0, 1, 0x65, 0x88}), {}},
        {"a slice only", bytes({0, 0, 1, 0x41, 0x9A}), {}},
        {"start code cut off at the end", bytes({0, 0, 1, 0x67, 0x42, 0, 0}), {}},
        {"empty units and nothing else", bytes({0, 0, 1, 0, 0, 1}), {}},
        {"empty", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parameterSets(c.frame), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace kinorex
