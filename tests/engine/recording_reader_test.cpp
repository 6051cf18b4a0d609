#include "recording/recording_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "reader_test_support.h"

namespace kinorex::test {
namespace {

TEST(RecordingReaderOpen, RefusesWhatIsNotARecording) {
    RecordingReader reader;
    std::array<std::uint8_t, kFileHeaderSize> header{};
    EXPECT_FALSE(reader.Open("/nonexistent/recording.h264", header.data()));

    TempPath shortFile("short.h264");
    RecordingBuilder().write(shortFile.path());
    std::filesystem::resize_file(shortFile.path(), 1000);
    EXPECT_FALSE(reader.Open(shortFile.c_str(), header.data()));
}

// The index is the recorder's last write: a recording whose index is missing, broken or
// beyond the end of the file opens, and says so; only a data area without a record does not.
TEST(RecordingReaderOpen, OpensWhateverTheIndexSaysAndTellsWhatWasWrong) {
    struct Case {
        const char* name;
        RecordingBuilder builder;
        bool indexMissing, shorterThanHeader;
    };
    const auto withRecord = [] { return RecordingBuilder().video(0, testPayload(40)); };
    Case cases[] = {
        {"sound", withRecord(), false, false},
        {"no entries", withRecord().indexEntryCount(0), true, false},
        {"end at the header", withRecord().indexEndOffset(1428), true, false},
        {"end zero", withRecord().indexEndOffset(0), true, false},
        {"end just past the header", withRecord().indexEndOffset(1429), false, false},
        {"end beyond 4 GB", withRecord().indexEndOffset(0x1'0000'0000ull), false, true},
        {"entries past 32 bits", withRecord().indexEntryCount(429496730), false, false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenedRecording recording(c.builder);
        ASSERT_TRUE(recording.opened());
        EXPECT_EQ(recording.reader().damage().indexMissing, c.indexMissing);
        EXPECT_EQ(recording.reader().damage().shorterThanHeader, c.shorterThanHeader);
        EXPECT_EQ(recording.next().size(), 24u + 40);
    }
    EXPECT_FALSE(OpenedRecording(RecordingBuilder()).opened());
    EXPECT_FALSE(OpenedRecording(RecordingBuilder().raw(Bytes(5000, 0x41))).opened());
    EXPECT_FALSE(OpenedRecording(
                     RecordingBuilder().record({.payload = testPayload(50), .declaredLength = 51}))
                     .opened());
}

TEST(RecordingReaderOpen, HandsOverTheFileHeader) {
    OpenedRecording recording(
        RecordingBuilder().videoStandard(1).channel(3, 2, 4).headerByte(700, 0xAB).video(
            0, testPayload(4)));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(recording.header()[13], 1);
    EXPECT_EQ(recording.header()[362], 2);
    EXPECT_EQ(recording.header()[394], 4);
    EXPECT_EQ(recording.header()[700], 0xAB);
    EXPECT_EQ(recording.header()[1416], 1);  // the builder's default entry count
}

TEST(RecordingReaderOpen, FailedOpenLeavesNothingToRead) {
    OpenedRecording good(RecordingBuilder().video(0, testPayload(100)));
    ASSERT_TRUE(good.opened());
    TempPath bad("bad.h264");
    RecordingBuilder().raw(Bytes(100, 0x41)).write(bad.path());

    std::array<std::uint8_t, kFileHeaderSize> header{};
    EXPECT_FALSE(good.reader().Open(bad.c_str(), header.data()));
    EXPECT_TRUE(good.next().empty());
    EXPECT_EQ(good.reader().GetPositionPercent(), 0);
}

TEST(RecordingReaderHeader, PictureSizeByCodeAndVideoStandard) {
    struct Case {
        std::uint8_t standard, code;
        std::int32_t width, height;
    };
    for (const Case c :
         {Case{1, 0, 704, 576}, Case{1, 1, 352, 288}, Case{1, 2, 704, 288}, Case{1, 3, 0, 0},
          Case{0, 0, 640, 480}, Case{2, 1, 320, 240}, Case{255, 2, 640, 240}, Case{0, 200, 0, 0}}) {
        OpenedRecording recording(RecordingBuilder()
                                      .videoStandard(c.standard)
                                      .channel(16, c.code, 0)
                                      .video(0, testPayload(4)));
        ASSERT_TRUE(recording.opened());
        std::int32_t width = -1, height = -1;
        recording.reader().GetResolution(16, width, height);
        EXPECT_EQ(width, c.width) << int{c.standard} << "/" << int{c.code};
        EXPECT_EQ(height, c.height) << int{c.standard} << "/" << int{c.code};
    }
}

TEST(RecordingReaderHeader, FrameRateByCodeAndVideoStandard) {
    const std::uint8_t pal[] = {0, 1, 2, 6, 12, 25, 25, 25};
    const std::uint8_t ntsc[] = {0, 1, 2, 6, 15, 30, 25, 25};
    const std::uint8_t codes[] = {0, 1, 2, 3, 4, 5, 6, 9};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        const Bytes frame = testPayload(4);
        OpenedRecording palFile(
            RecordingBuilder().videoStandard(1).channel(1, 0, codes[i]).video(0, frame));
        OpenedRecording ntscFile(
            RecordingBuilder().videoStandard(0).channel(1, 0, codes[i]).video(0, frame));
        EXPECT_EQ(palFile.reader().GetFrameRate(1), pal[i]) << int{codes[i]};
        EXPECT_EQ(ntscFile.reader().GetFrameRate(1), ntsc[i]) << int{codes[i]};
    }
}

TEST(RecordingReaderHeader, ChannelNumbersOutsideOneToSixteenGiveNothing) {
    OpenedRecording recording(
        RecordingBuilder().channel(1, 0, 5).channel(16, 0, 5).video(0, testPayload(4)));
    ASSERT_TRUE(recording.opened());
    for (const std::uint8_t channel : {0, 17, 255}) {
        std::int32_t width = -1, height = -1;
        recording.reader().GetResolution(channel, width, height);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        EXPECT_EQ(recording.reader().GetFrameRate(channel), 0);
    }
}

TEST(RecordingReaderWalk, ReadsEveryRecordInFileOrder) {
    const RawFrameRecord frames[] = {
        {.channelIndex = 0,
         .type = kVideoFrame,
         .audioChannel = 1,
         .payload = testPayload(5000, 1)},
        {.channelIndex = 0, .type = kAudioFrame, .payload = testVoiceFrame(82, 2)},
        {.channelIndex = 15, .type = kVideoFrame, .keyMarker = 1, .payload = {}},
        {.channelIndex = 0x00525549, .type = 9, .payload = testPayload(30, 3)},
    };
    RecordingBuilder builder;
    for (const RawFrameRecord& frame : frames) {
        builder.record(frame);
    }
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());
    for (const RawFrameRecord& frame : frames) {
        EXPECT_EQ(recording.next(), recordBytes(frame));
    }
    EXPECT_TRUE(recording.next().empty());
}

TEST(RecordingReaderWalk, StepsOverIndexBlocksAsRecords) {
    OpenedRecording recording(RecordingBuilder()
                                  .video(1, testPayload(10))
                                  .indexBlock({.entries = {IndexEntry{1}, IndexEntry{2}}})
                                  .video(2, testPayload(20)));
    ASSERT_TRUE(recording.opened());
    EXPECT_EQ(recording.next().size(), 34u);
    EXPECT_EQ(recording.next().size(), 24u + 20 + 76);  // the block, its header as the frame header
    EXPECT_EQ(recording.next(), recordBytes({.channelIndex = 2, .payload = testPayload(20)}));
}

TEST(RecordingReaderWalk, RecordsAcrossBlocksUpToTheLargestThatFitsAFrameBuffer) {
    // Records straddle the read-ahead blocks' boundaries; one claims more than any frame
    // buffer holds, which no recorder writes: it is damage, and so is the length of the
    // record that leads to it, as far as the walk can tell.
    const std::size_t largest = kFrameBufferSize - kFrameHeaderSize;
    RecordingBuilder builder;
    std::vector<Bytes> payloads;
    std::vector<DamagedRange> ranges;
    for (const std::size_t size : std::initializer_list<std::size_t>{
             500'000, largest, 100, 2'500'000, 4, 300'000, 5, largest + 1, 400'000, 90'000}) {
        const Bytes payload = testPayload(size, static_cast<std::uint8_t>(size));
        if (size > largest) {
            const std::uint64_t start = builder.size() - 24 - payloads.back().size();
            payloads.pop_back();
            ranges.push_back(
                {start, builder.size() + 24 + size - start, builder.size() + 24 + size});
        } else {
            payloads.push_back(payload);
        }
        builder.video(3, payload);
    }
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());
    for (int pass = 0; pass < 2; ++pass) {
        for (const Bytes& payload : payloads) {
            EXPECT_EQ(recording.next(), recordBytes({.channelIndex = 3, .payload = payload}));
        }
        EXPECT_TRUE(recording.next().empty());
        const SourceDamage damage = recording.reader().damage();
        EXPECT_EQ(damage.end, WalkEnd::EndOfFile);
        ASSERT_EQ(damage.ranges.size(), ranges.size());
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            EXPECT_EQ(damage.ranges[i].start, ranges[i].start);
            EXPECT_EQ(damage.ranges[i].skipped, ranges[i].skipped);
            EXPECT_EQ(damage.ranges[i].resumed, ranges[i].resumed);
        }
        recording.reader().Rewind();
    }
}

// The conversion looks at records where they lie in the read-ahead block, also when one
// begins in a block and ends in the next; a record larger than the caller's buffer stops
// the walk there, and a larger buffer still gets it.
TEST(RecordingReaderWalk, ViewsFollowRecordsAcrossBlocks) {
    const Bytes payloads[] = {testPayload(500'000, 1), testPayload(400'000, 2)};
    const Bytes large = testPayload(kFrameBufferSize - kFrameHeaderSize, 3);
    OpenedRecording recording(
        RecordingBuilder().video(3, payloads[0]).video(3, payloads[1]).video(3, large));
    ASSERT_TRUE(recording.opened());
    for (const Bytes& payload : payloads) {
        kinorex::FrameRecord view;
        ASSERT_TRUE(recording.reader().viewFrame(500'024, view));
        EXPECT_EQ(Bytes(view.data(), view.data() + view.size()),
                  recordBytes({.channelIndex = 3, .payload = payload}));
    }
    kinorex::FrameRecord view;
    EXPECT_FALSE(recording.reader().viewFrame(500'024, view));
    EXPECT_EQ(recording.next(), recordBytes({.channelIndex = 3, .payload = large}));
}

// A batch holds its records' bytes for the lanes it is handed to, however far the walk reads
// on meanwhile and whatever memory its later blocks reuse.
TEST(RecordingReaderWalk, BatchesStayValidWhileTheWalkReadsOn) {
    RecordingBuilder builder;
    for (std::uint8_t i = 0; i < 30; ++i) {
        builder.video(i % 16, testPayload(300'000, i));
    }
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());

    std::vector<kinorex::RecordBatch> batches(1);
    while (recording.reader().nextBatch(batches.back())) {
        batches.emplace_back();
    }
    batches.pop_back();
    std::uint8_t i = 0;
    for (const auto& batch : batches) {
        for (const auto& record : batch.records) {
            EXPECT_EQ(Bytes(record.data(), record.data() + record.size()),
                      recordBytes({.channelIndex = i % 16u, .payload = testPayload(300'000, i)}));
            ++i;
        }
    }
    EXPECT_EQ(i, 30);
}

TEST(RecordingReaderWalk, PayloadLargerThanTheBufferReadsNothing) {
    OpenedRecording recording(RecordingBuilder().video(0, testPayload(1000, 7)).video(0, {}));
    ASSERT_TRUE(recording.opened());
    const std::int32_t percentBefore = recording.reader().GetPositionPercent();

    Bytes buffer(1023, 0xEE);
    std::uint32_t size = 1023;
    EXPECT_FALSE(recording.reader().ReadFrame(buffer.data(), size));
    EXPECT_EQ(buffer, Bytes(1023, 0xEE));
    EXPECT_EQ(recording.reader().GetPositionPercent(), percentBefore);

    // Still at the record: exactly enough room reads it.
    EXPECT_EQ(recording.next(1024), recordBytes({.payload = testPayload(1000, 7)}));
}

TEST(RecordingReaderWalk, CapacityOfTwentyFourOrLessReadsNothing) {
    OpenedRecording recording(RecordingBuilder().video(0, {}).video(1, {}));
    ASSERT_TRUE(recording.opened());
    Bytes buffer(24, 0xEE);
    for (std::uint32_t capacity : {0u, 1u, 24u}) {
        std::uint32_t size = capacity;
        EXPECT_FALSE(recording.reader().ReadFrame(buffer.data(), size));
    }
    EXPECT_EQ(buffer, Bytes(24, 0xEE));
    EXPECT_EQ(recording.next(25), recordBytes({.channelIndex = 0}));
}

TEST(RecordingReaderWalk, RecordCutShortEndsTheWalkAndSaysWhere) {
    RecordingBuilder cutPayloadBuilder;
    cutPayloadBuilder.video(0, testPayload(4));
    const std::uint64_t cutAt = cutPayloadBuilder.size();
    cutPayloadBuilder.record({.payload = testPayload(50), .declaredLength = 51});
    OpenedRecording cutPayload(cutPayloadBuilder);
    ASSERT_TRUE(cutPayload.opened());
    EXPECT_EQ(cutPayload.next().size(), 28u);
    EXPECT_TRUE(cutPayload.next().empty());
    EXPECT_EQ(cutPayload.reader().GetPositionPercent(), 100);
    EXPECT_EQ(cutPayload.reader().damage().end, WalkEnd::CutShort);
    EXPECT_EQ(cutPayload.reader().damage().cutShortAt, cutAt);

    OpenedRecording cutHeader(RecordingBuilder().video(0, testPayload(4)).raw(testPayload(23)));
    ASSERT_TRUE(cutHeader.opened());
    EXPECT_EQ(cutHeader.next().size(), 28u);
    EXPECT_TRUE(cutHeader.next().empty());
    EXPECT_EQ(cutHeader.reader().damage().end, WalkEnd::CutShort);
}

// Reads that touch the given bytes fail, as a bad disk's do, while the object lives.
class FailingReads {
public:
    FailingReads(std::uint64_t from, std::uint64_t to) {
        platform::File::failReadsForTesting(from, to);
    }
    ~FailingReads() { platform::File::failReadsForTesting(0, 0); }
    FailingReads(const FailingReads&) = delete;
    FailingReads& operator=(const FailingReads&) = delete;
};

TEST(RecordingReaderWalk, ReadErrorsCostOnlyTheRecordsTheyTouch) {
    constexpr int kRecords = 400;
    RecordingBuilder builder;
    std::vector<std::uint64_t> starts;
    for (int i = 0; i < kRecords; ++i) {
        starts.push_back(builder.size());
        builder.video(i % 16, testPayload(1000 + i % 7, static_cast<std::uint8_t>(i)));
    }
    const Bytes file = builder.bytes();
    const std::uint64_t size = file.size();
    const std::uint64_t middle = size / 2 / 4096 * 4096;  // a disk fails whole sectors
    const struct {
        const char* name;
        std::uint64_t from;
        std::uint64_t to;
        WalkEnd end;
    } cases[] = {
        {"4 KB in the middle", middle, middle + 4096, WalkEnd::EndOfFile},
        {"everything from the middle on", middle, size, WalkEnd::ReadError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenedRecording recording(builder);
        ASSERT_TRUE(recording.opened());
        const FailingReads failing(c.from, c.to);
        std::vector<Bytes> walked;
        for (Bytes record = recording.next(); !record.empty(); record = recording.next()) {
            walked.push_back(std::move(record));
        }
        const SourceDamage damage = recording.reader().damage();
        EXPECT_EQ(damage.end, c.end);
        EXPECT_TRUE(damage.damaged());
        std::size_t taken = 0;
        for (int i = 0; i < kRecords; ++i) {
            const std::uint64_t end = i + 1 < kRecords ? starts[i + 1] : size;
            const Bytes expected(file.begin() + static_cast<std::ptrdiff_t>(starts[i]),
                                 file.begin() + static_cast<std::ptrdiff_t>(end));
            const bool touched = starts[i] < c.to && starts[i] + expected.size() > c.from;
            if (touched || (c.end == WalkEnd::ReadError && starts[i] >= c.from)) {
                continue;
            }
            ASSERT_LT(taken, walked.size()) << "record " << i;
            EXPECT_EQ(walked[taken++], expected) << "record " << i;
        }
        EXPECT_EQ(taken, walked.size());
        if (c.end == WalkEnd::EndOfFile) {
            EXPECT_FALSE(damage.failed());
            ASSERT_EQ(damage.ranges.size(), 1u);
            EXPECT_LE(damage.ranges[0].start, c.from);
            EXPECT_GE(damage.ranges[0].resumed, c.to);
            EXPECT_LT(damage.ranges[0].skipped, 4096u + 2 * 1030);
        } else {
            EXPECT_TRUE(damage.failed());
            EXPECT_EQ(damage.endedAt, c.from);
            EXPECT_TRUE(damage.ranges.empty());
        }
    }
}

TEST(RecordingReaderWalk, NothingToReadWithoutAnOpenFile) {
    RecordingReader reader;
    std::uint8_t buffer[64];
    std::uint32_t size = sizeof buffer;
    EXPECT_FALSE(reader.ReadFrame(buffer, size));
    reader.Rewind();
    EXPECT_EQ(reader.GetPositionPercent(), 0);

    OpenedRecording recording(RecordingBuilder().video(0, testPayload(10)));
    recording.reader().Close();
    EXPECT_TRUE(recording.next().empty());
    EXPECT_EQ(recording.reader().GetPositionPercent(), 0);
}

TEST(RecordingReaderWalk, OpeningAnotherFileForgetsTheFirst) {
    OpenedRecording first(
        RecordingBuilder().video(0, testPayload(100, 1)).video(0, testPayload(100, 2)));
    ASSERT_TRUE(first.opened());
    first.next();

    TempPath second("second.h264");
    RecordingBuilder().video(5, testPayload(100, 9)).write(second.path());
    std::array<std::uint8_t, kFileHeaderSize> header{};
    ASSERT_TRUE(first.reader().Open(second.c_str(), header.data()));
    EXPECT_EQ(first.next(), recordBytes({.channelIndex = 5, .payload = testPayload(100, 9)}));
}

TEST(RecordingReaderProgress, CountsBytesConsumedByTheWalk) {
    // Two records of 512 KiB each: read-ahead runs ahead, the percentage must not.
    const std::size_t payload = kFrameBufferSize - kFrameHeaderSize;
    RecordingBuilder builder;
    builder.video(0, testPayload(payload)).video(0, testPayload(payload));
    const std::uint64_t fileSize = builder.size();
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());

    EXPECT_EQ(recording.reader().GetPositionPercent(), 1428 * 100 / fileSize);
    recording.next();
    EXPECT_EQ(recording.reader().GetPositionPercent(), (1428 + kFrameBufferSize) * 100 / fileSize);
    recording.next();
    EXPECT_EQ(recording.reader().GetPositionPercent(), 100);
    EXPECT_TRUE(recording.next().empty());
    EXPECT_EQ(recording.reader().GetPositionPercent(), 100);
    recording.reader().Rewind();
    EXPECT_EQ(recording.reader().GetPositionPercent(), 1428 * 100 / fileSize);
}

// Every decision of the walk is taken against the size the file had when it was opened, so
// that walks of one recording take the same records even while it grows.
TEST(RecordingReaderProgress, FileGrowingDuringTheWalkIsWalkedAsItWasOpened) {
    RecordingBuilder builder;
    builder.video(0, testPayload(1000));
    OpenedRecording recording(builder);
    ASSERT_TRUE(recording.opened());

    RecordingBuilder grown;
    grown.video(0, testPayload(1000)).video(0, testPayload(1000));
    grown.write(recording.path().path());
    EXPECT_EQ(recording.next().size(), 1024u);
    EXPECT_TRUE(recording.next().empty());
    EXPECT_EQ(recording.reader().GetPositionPercent(), 100);
    EXPECT_EQ(recording.reader().damage().end, WalkEnd::EndOfFile);
}

}  // namespace
}  // namespace kinorex::test
