#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "reader_test_support.h"

namespace kinorex::test {
namespace {

IndexEntry entry(std::uint8_t tag) {
    return {tag, 0, 0, 0, 0, 0, 0, 0, 0, tag};
}

std::vector<IndexEntry> entries(std::uint8_t firstTag, int count) {
    std::vector<IndexEntry> result;
    for (int i = 0; i < count; ++i) {
        result.push_back(entry(static_cast<std::uint8_t>(firstTag + i)));
    }
    return result;
}

// The tag of each loaded entry, 0 for entries left zero.
std::vector<int> loadedTags(RecordingReader& reader, std::uint32_t count) {
    std::vector<int> tags;
    for (std::uint32_t i = 0; i < count; ++i) {
        tags.push_back(reader.GetIndexEntry(i)[0]);
    }
    return tags;
}

TEST(IndexChain, LoadsEveryBlockIntoItsPlace) {
    OpenedRecording recording(RecordingBuilder()
                                  .video(0, testPayload(300))
                                  .indexBlock({.entries = entries(1, 2)})
                                  .video(0, testPayload(300))
                                  .indexBlock({.entries = entries(3, 3)})
                                  .indexBlock({.entries = {}})
                                  .indexBlock({.entries = entries(6, 1)}));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(loadedTags(recording.reader(), 7), (std::vector<int>{1, 2, 3, 4, 5, 6, 0}));
    EXPECT_EQ(recording.reader().GetIndexEntry(2), entry(3));
}

TEST(IndexChain, MoreEntriesThanTheChainHoldsLeavesTheFirstOnesZero) {
    OpenedRecording recording(
        RecordingBuilder().indexBlock({.entries = entries(1, 2)}).indexEntryCount(4));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(loadedTags(recording.reader(), 4), (std::vector<int>{0, 0, 1, 2}));
}

// Each case breaks the last block or the step from it; the file opens, and only what lies
// before the break is loaded.
TEST(IndexChain, BrokenChainEndsLoadingButOpens) {
    struct Case {
        const char* what;
        IndexBlock last;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"trailer magic", {.entries = entries(3, 1), .trailerMagic = false}, {0, 0, 0}},
        {"header magic", {.entries = entries(3, 1), .headerMagic = false}, {0, 0, 0}},
        {"more entries than remain", {.entries = entries(3, 1), .declaredCount = 4}, {0, 0, 0}},
        {"block reaching before the file",
         {.entries = entries(3, 1), .declaredCount = 9999},
         {0, 0, 0}},
        {"distance 0", {.entries = entries(3, 1), .distance = 0}, {0, 0, 3}},
        {"distance inside the block", {.entries = entries(3, 1), .distance = 109}, {0, 0, 3}},
        {"distance past the file start",
         {.entries = entries(3, 1), .distance = 0xFFFFFFFF},
         {0, 0, 3}},
    };
    for (const Case& c : cases) {
        OpenedRecording recording(RecordingBuilder()
                                      .indexBlock({.entries = entries(1, 2)})
                                      .indexBlock(c.last)
                                      .indexEntryCount(3));
        ASSERT_TRUE(recording.opened()) << c.what;
        EXPECT_EQ(loadedTags(recording.reader(), 3), c.expected) << c.what;
    }
}

TEST(IndexChain, HugeEntryCountInASmallFileCostsNoMemory) {
    // 400 million entries would be 4 GB; the file can hold a few hundred at most.
    const std::uint32_t claimed = 400'000'000;
    OpenedRecording recording(
        RecordingBuilder().indexBlock({.entries = entries(1, 2)}).indexEntryCount(claimed));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(recording.reader().GetIndexEntry(claimed - 2), entry(1));
    EXPECT_EQ(recording.reader().GetIndexEntry(claimed - 1), entry(2));
    EXPECT_EQ(recording.reader().GetIndexEntry(0), IndexEntry{});
    EXPECT_EQ(recording.reader().GetIndexEntry(claimed), IndexEntry{});

#ifndef _WIN32
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_SELF, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024);  // kilobytes: well under 1 GB
#endif
}

TEST(IndexChain, ChainLoadingLeavesTheWalkAtTheFirstRecord) {
    OpenedRecording recording(
        RecordingBuilder().video(4, testPayload(64, 4)).indexBlock({.entries = entries(1, 3)}));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(recording.next(), recordBytes({.channelIndex = 4, .payload = testPayload(64, 4)}));
}

}  // namespace
}  // namespace kinorex::test
