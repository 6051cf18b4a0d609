#include "avi/avi_writer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "avi_test_support.h"

namespace kinorex {
namespace {

using test::MemoryFile;
using test::MemorySink;
using test::parseAvi;
using test::u16At;
using test::u32At;

const std::byte kFormat[4] = {};

AviStreamHeader header(const char (&type)[5], std::uint32_t rate, std::uint32_t sampleSize) {
    AviStreamHeader h;
    h.type = fourCc(type);
    h.scale = 1000;
    h.rate = rate;
    h.sampleSize = sampleSize;
    h.frameRight = 320;
    h.frameBottom = 240;
    return h;
}

std::vector<std::byte> payload(std::size_t size, std::uint8_t seed) {
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = std::byte(seed + i * 7);
    }
    return bytes;
}

class AviWriterTest : public ::testing::Test {
protected:
    void open(std::uint64_t maxFileSize = kMaxAviFileSize) {
        writer_ = std::make_unique<AviWriter>(std::make_unique<MemorySink>(file_), maxFileSize);
        ASSERT_EQ(writer_->addStream(header("vids", 25000, 0), kFormat), 0);
        ASSERT_EQ(writer_->addStream(header("auds", 16000, 2), kFormat), 0);
    }
    std::uint32_t strhLength(const test::AviLayout& layout, int stream) {
        return u32At(file_->bytes, layout.strh[stream] + 32);
    }

    std::shared_ptr<MemoryFile> file_ = std::make_shared<MemoryFile>();
    std::unique_ptr<AviWriter> writer_;
};

TEST_F(AviWriterTest, FileWithoutChunksIsCompleteWithEmptyIndex) {
    open();
    EXPECT_EQ(writer_->finish(), 0);
    EXPECT_TRUE(file_->closed);
    auto layout = parseAvi(file_->bytes);
    EXPECT_TRUE(layout.movi.empty());
    EXPECT_TRUE(layout.hasIdx1);
    EXPECT_TRUE(layout.idx1.empty());
    EXPECT_EQ(u32At(file_->bytes, layout.avih + 12), 0x10u);  // dwFlags: AVIF_HASINDEX
    EXPECT_EQ(u32At(file_->bytes, layout.avih + 16), 0u);     // dwTotalFrames
    EXPECT_EQ(strhLength(layout, 0), 0u);
    EXPECT_EQ(strhLength(layout, 1), 0u);
}

TEST_F(AviWriterTest, ChunksAreIndexedInCallOrderAndPaddedToEven) {
    open();
    auto a = payload(3, 1), b = payload(5, 2), c = payload(6, 3);
    ASSERT_EQ(writer_->writeChunk(0, a, true), 0);
    ASSERT_EQ(writer_->writeChunk(1, b, true), 0);
    ASSERT_EQ(writer_->writeChunk(0, c, false), 0);
    ASSERT_EQ(writer_->writeChunk(0, {}, false), 0);
    ASSERT_EQ(writer_->finish(), 0);

    const auto& bytes = file_->bytes;
    auto layout = parseAvi(bytes);
    const std::vector<std::pair<std::string, std::vector<std::byte>>> expected = {
        {"00dc", a}, {"01wb", b}, {"00dc", c}, {"00dc", {}}};
    const std::uint32_t flags[] = {0x10, 0x10, 0, 0};
    ASSERT_EQ(layout.movi.size(), expected.size());
    ASSERT_EQ(layout.idx1.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& chunk = layout.movi[i];
        EXPECT_EQ(chunk.id, expected[i].first);
        EXPECT_EQ(chunk.size, expected[i].second.size());
        EXPECT_TRUE(std::equal(expected[i].second.begin(), expected[i].second.end(),
                               bytes.begin() + chunk.offset + 8));
        if (chunk.size & 1) {
            EXPECT_EQ(bytes[chunk.offset + 8 + chunk.size], std::byte{0}) << "pad byte";
        }
        EXPECT_EQ(layout.idx1[i].id, expected[i].first);
        EXPECT_EQ(layout.idx1[i].flags, flags[i]);
        EXPECT_EQ(layout.idx1[i].offset, chunk.offset - layout.moviType);
        EXPECT_EQ(layout.idx1[i].size, chunk.size);
    }
    EXPECT_EQ(u32At(bytes, layout.avih + 16), 3u);  // dwTotalFrames
    EXPECT_EQ(u32At(bytes, layout.avih + 28), 6u);  // dwSuggestedBufferSize: largest chunk
    EXPECT_EQ(strhLength(layout, 0), 3u);           // frames
    EXPECT_EQ(strhLength(layout, 1), 2u);           // 5 bytes of 2-byte samples
}

TEST_F(AviWriterTest, StreamsAreFixedOnceChunksAreWritten) {
    open();
    EXPECT_EQ(writer_->writeChunk(2, payload(2, 0), true), EINVAL);
    ASSERT_EQ(writer_->writeChunk(0, payload(2, 0), true), 0);
    EXPECT_EQ(writer_->addStream(header("auds", 1, 1), kFormat), EINVAL);
    ASSERT_EQ(writer_->finish(), 0);
    EXPECT_EQ(parseAvi(file_->bytes).strh.size(), 2u);
}

TEST_F(AviWriterTest, SmallChunksReachTheFileInLargeBlocks) {
    open();
    auto chunk = payload(200, 5);
    const auto count = static_cast<int>(2 * RiffWriter::kBlockSize / 208);  // two blocks
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(writer_->writeChunk(i % 2, chunk, true), 0);
    }
    EXPECT_LE(file_->writeCalls, 2);
    auto big = payload(3 << 20, 6);
    ASSERT_EQ(writer_->writeChunk(0, big, false), 0);
    ASSERT_EQ(writer_->finish(), 0);
    auto layout = parseAvi(file_->bytes);
    ASSERT_EQ(layout.idx1.size(), count + 1u);
    EXPECT_EQ(layout.movi.back().size, big.size());
    EXPECT_EQ(layout.idx1.back().offset, layout.movi.back().offset - layout.moviType);
}

std::uint64_t firstChunkOffset(const std::vector<std::byte>& bytes) {
    for (std::uint64_t at = 12; at + 4 <= bytes.size(); ++at) {
        if (test::tagAt(bytes, at) == "movi") {
            return at + 4;
        }
    }
    ADD_FAILURE() << "no movi list";
    return 0;
}

// Writes 200-byte chunks until the disk is full; returns how many went in.
int fillUntilFull(AviWriter& writer, int& error) {
    auto chunk = payload(200, 9);
    for (int written = 0;; ++written) {
        error = writer.writeChunk(0, chunk, written % 10 == 0);
        if (error) {
            return written;
        }
    }
}

TEST_F(AviWriterTest, FailedFlushLeavesNoHalfChunkAndIsRetriedWhenSpaceReturns) {
    file_->capacity = RiffWriter::kBlockSize * 3 / 2;
    open();
    int error = 0;
    int accepted = fillUntilFull(*writer_, error);
    EXPECT_EQ(error, ENOSPC);
    // The cut-off block was taken back; what is on disk ends where a chunk ends.
    EXPECT_GT(file_->bytes.size(), 0u);
    EXPECT_LE(file_->bytes.size(), RiffWriter::kBlockSize);
    EXPECT_EQ((file_->bytes.size() - firstChunkOffset(file_->bytes)) % 208, 0u);

    file_->capacity = UINT64_MAX;
    auto last = payload(7, 42);
    ASSERT_EQ(writer_->writeChunk(1, last, true), 0);
    ASSERT_EQ(writer_->finish(), 0);
    auto layout = parseAvi(file_->bytes);
    ASSERT_EQ(layout.movi.size(), accepted + 1u);
    EXPECT_EQ(layout.movi.back().id, "01wb");
    EXPECT_EQ(layout.idx1.size(), layout.movi.size());
    EXPECT_EQ(u32At(file_->bytes, layout.avih + 16), static_cast<std::uint32_t>(accepted));
}

TEST_F(AviWriterTest, DiskFullToTheEndKeepsAValidFileOfWhatReachedIt) {
    for (bool roomForIndex : {true, false}) {
        SCOPED_TRACE(roomForIndex ? "room for the index" : "no room for the index");
        file_ = std::make_shared<MemoryFile>();
        file_->capacity = 1500000;
        open();
        int error = 0;
        fillUntilFull(*writer_, error);
        // A chunk too big for the buffer goes straight out and must be taken back as well.
        EXPECT_EQ(writer_->writeChunk(0, payload(2 << 20, 1), true), ENOSPC);
        if (!roomForIndex) {
            file_->capacity = file_->bytes.size();
        }
        // The chunks still buffered cannot reach the disk either.
        EXPECT_EQ(writer_->finish(), ENOSPC);

        auto layout = parseAvi(file_->bytes);
        EXPECT_FALSE(layout.movi.empty());
        EXPECT_EQ(layout.hasIdx1, roomForIndex);
        EXPECT_EQ(u32At(file_->bytes, layout.avih + 12), roomForIndex ? 0x10u : 0u);  // dwFlags
        if (roomForIndex) {
            EXPECT_EQ(layout.idx1.size(), layout.movi.size());
        }
        EXPECT_EQ(u32At(file_->bytes, layout.avih + 16), layout.movi.size());  // dwTotalFrames
        EXPECT_EQ(strhLength(layout, 0), layout.movi.size());
    }
}

TEST_F(AviWriterTest, DiskFullBeforeTheHeadersLeavesAnEmptyFile) {
    file_->capacity = 100;
    open();
    ASSERT_EQ(writer_->writeChunk(0, payload(2 << 20, 1), true), ENOSPC);
    EXPECT_EQ(writer_->finish(), ENOSPC);
    EXPECT_TRUE(file_->bytes.empty());
    EXPECT_TRUE(file_->closed);
}

TEST_F(AviWriterTest, FileSizeLimitCountsTheIndexSoTinyChunksCannotPassIt) {
    const std::uint64_t limit = 8192;
    open(limit);
    int written = 0;
    while (writer_->writeChunk(written % 2, {}, true) == 0) {
        ++written;
    }
    EXPECT_EQ(writer_->writeChunk(0, {}, true), AviWriter::kRefused);
    ASSERT_EQ(writer_->finish(), 0);
    EXPECT_LE(file_->bytes.size(), limit);
    EXPECT_GT(file_->bytes.size() + 24, limit) << "refused while there was room";
    EXPECT_EQ(parseAvi(file_->bytes).idx1.size(), static_cast<std::size_t>(written));
}

TEST_F(AviWriterTest, RefusedChunkLeavesRoomForASmallerOne) {
    open(4096);
    EXPECT_EQ(writer_->writeChunk(0, payload(4000, 1), true), AviWriter::kRefused);
    EXPECT_EQ(writer_->writeChunk(0, payload(1000, 1), true), 0);
    ASSERT_EQ(writer_->finish(), 0);
    EXPECT_EQ(parseAvi(file_->bytes).movi.size(), 1u);
}

}  // namespace
}  // namespace kinorex
