#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <numeric>
#include <thread>

#include "batch_feed.h"
#include "reader_test_support.h"

namespace kinorex::test {
namespace {

// The converter's worker walks the records while the user interface polls the percentage.
TEST(RecordingReaderThreads, PercentagePolledDuringTheWalkOnlyMovesForward) {
    RecordingBuilder builder;
    for (int i = 0; i < 3000; ++i) {
        builder.video(static_cast<std::uint32_t>(i % 16), testPayload(2000 + i % 7, 1));
        builder.audio(static_cast<std::uint32_t>(i % 16), testVoiceFrame(82, 2));
    }
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());
    RecordingReader& reader = recording.reader();

    std::atomic<bool> walking{true};
    int records = 0;
    std::thread walker([&] {
        Bytes buffer(kFrameBuffer);
        std::uint32_t size = kFrameBuffer;
        while (reader.ReadFrame(buffer.data(), size)) {
            ++records;
            size = kFrameBuffer;
        }
        walking = false;
    });

    std::int32_t last = 0;
    bool ordered = true;
    int polls = 0;
    do {
        const std::int32_t percent = reader.GetPositionPercent();
        ordered = ordered && percent >= last && percent <= 100;
        last = percent;
        ++polls;
    } while (walking);
    walker.join();

    EXPECT_TRUE(ordered);
    EXPECT_GT(polls, 0);
    EXPECT_EQ(records, 6000);
    EXPECT_EQ(reader.GetPositionPercent(), 100);
}

// A walk of `batches` batches, each telling its place by its number of records, that counts
// how often it was asked for a batch.
struct CountingWalk {
    explicit CountingWalk(std::size_t batches) : batches(batches) {}

    std::shared_ptr<const RecordBatch> operator()() {
        if (asked++ == batches) {
            return nullptr;
        }
        auto batch = std::make_shared<RecordBatch>();
        batch->records.resize(asked);
        return batch;
    }

    std::size_t batches;
    std::size_t asked = 0;
};

std::vector<std::size_t> takeAll(BatchFeed& feed, std::size_t lane) {
    std::vector<std::size_t> taken;
    while (const auto batch = feed.take(lane)) {
        taken.push_back(batch->records.size());
    }
    return taken;
}

// Each batch is read once, on whichever lane asks first, and every lane gets every batch in
// order, however their pace differs.
TEST(BatchFeedThreads, EveryLaneTakesEveryBatchInOrderReadOnce) {
    CountingWalk walk(50);
    BatchFeed feed(2, std::ref(walk));
    std::vector<std::size_t> second;
    std::thread other([&] { second = takeAll(feed, 1); });
    const std::vector<std::size_t> first = takeAll(feed, 0);
    other.join();

    std::vector<std::size_t> expected(50);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(walk.asked, 51u);  // the last ask found the end
}

// A lane that leaves holds the others up no longer; without it the first would wait for
// good once the second lane's batches had piled up.
TEST(BatchFeedThreads, ALaneThatLeavesHoldsNoOneUp) {
    CountingWalk walk(3 * BatchFeed::kAhead);
    BatchFeed feed(2, std::ref(walk));
    ASSERT_NE(feed.take(1), nullptr);
    feed.leave(1);
    EXPECT_EQ(takeAll(feed, 0).size(), 3 * BatchFeed::kAhead);
    EXPECT_EQ(feed.take(1), nullptr);
}

}  // namespace
}  // namespace kinorex::test
