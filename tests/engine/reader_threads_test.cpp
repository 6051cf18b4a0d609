#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "batch_queue.h"
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

// The walk waits only for a lane and a lane only for the walk; either side's end releases
// the other, whichever order the two threads get there in.
TEST(BatchQueueThreads, EitherSideEndingReleasesTheOther) {
    const auto batch = std::make_shared<const RecordBatch>();
    BatchQueue full;
    for (std::size_t i = 0; i < BatchQueue::kCapacity; ++i) {
        ASSERT_TRUE(full.push(batch));
    }
    bool pushed = true;
    std::thread walk([&] { pushed = full.push(batch); });  // waits for room
    full.leave();
    walk.join();
    EXPECT_FALSE(pushed);

    BatchQueue closing;
    int taken = 0;
    std::thread lane([&] {
        while (closing.pop()) {
            ++taken;
        }
    });
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(closing.push(batch));
    }
    closing.close();
    lane.join();
    EXPECT_EQ(taken, 10);  // everything queued before the close, then the end
}

}  // namespace
}  // namespace kinorex::test
