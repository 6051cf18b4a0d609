#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "avi/riff_writer.h"
#include "part_limits.h"
#include "platform/file_sink.h"

namespace kinorex {

// What the caller says about a stream; the strh fields the writer derives from the chunks
// (dwLength) are not here.
struct AviStreamHeader {
    std::uint32_t type = 0;     // fccType: 'vids' or 'auds'
    std::uint32_t handler = 0;  // fccHandler
    std::uint32_t flags = 0;
    std::uint16_t priority = 0;
    std::uint16_t language = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t start = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t quality = 0;
    std::uint32_t sampleSize = 0;  // 0: one sample per chunk; else bytes per sample
    std::int16_t frameLeft = 0;
    std::int16_t frameTop = 0;
    std::int16_t frameRight = 0;
    std::int16_t frameBottom = 0;
};

// An AVI 1.0 file: headers, then the 'movi' chunks in the order they are written, then
// 'idx1'. The headers go out with the first chunk, so all streams are added before it;
// what depends on the chunks (lengths, frame count, largest chunk) is patched by finish().
class AviWriter {
public:
    static constexpr int kRefused = -1;  // writeChunk: the file would grow past its limit
    static constexpr std::uint32_t kKeyFrame = 0x10;  // AVIIF_KEYFRAME
    static constexpr std::size_t kMaxStreams = 100;   // chunk ids carry two decimal digits

    explicit AviWriter(std::unique_ptr<FileSink> file, std::uint64_t maxFileSize = kMaxAviFileSize);
    ~AviWriter();

    // Adds the next stream (numbered from 0). Returns 0, or EINVAL once chunks have been
    // written, when there are kMaxStreams already, or for an empty format.
    int addStream(const AviStreamHeader& header, std::span<const std::byte> format);
    std::size_t streamCount() const { return streams_.size(); }

    // Appends one chunk to stream's data, flagged kKeyFrame or 0 in the index. Returns 0,
    // kRefused when the finished file would pass its size limit, EINVAL for an unknown
    // stream, or an errno value when writing failed; then nothing of the chunk is in the file.
    int writeChunk(std::size_t stream, std::span<const std::byte> payload, bool keyFrame);

    // Completes the file: lengths patched, index appended, file closed. After a failed
    // write it keeps what reached the disk in one piece. Returns 0 or the first errno value.
    int finish();

    // Chunks in the file: all those written, less any a failed flush left out at finish().
    std::size_t chunkCount() const;
    // Those of them that belong to one stream.
    std::size_t chunkCount(std::size_t stream) const;
    // Bytes the file could still grow by, counted against the finished file as
    // writeChunk counts them.
    std::uint64_t roomLeft() const;

private:
    struct Stream {
        AviStreamHeader header;
        std::vector<std::byte> format;
        std::uint32_t chunkId = 0;
        std::uint64_t headerOffset = 0;  // of its strh chunk
        // Running totals of the chunks in the index.
        std::uint32_t chunks = 0;
        std::uint64_t bytes = 0;
    };
    // One idx1 entry, serialised once, by finish(); 8 bytes, as a long recording has
    // millions. The chunks follow one another without gaps, so their offsets are running
    // totals of the sizes and need not be kept.
    struct IndexEntry {
        std::uint32_t size;
        std::uint16_t stream;
        bool keyFrame;
    };

    static constexpr std::uint64_t kFirstChunkOffset = 4;  // just past the list type

    void writeHeaders();
    int patchTotals(bool hasIndex);
    std::vector<std::byte> serialisedIndex() const;
    void dropIndexBeyond(std::uint64_t fileEnd);

    RiffWriter riff_;
    std::uint64_t maxFileSize_;
    std::vector<Stream> streams_;
    bool headersWritten_ = false;
    bool finished_ = false;
    std::uint64_t riffStart_ = 0;
    std::uint64_t avihOffset_ = 0;
    std::uint64_t moviStart_ = 0;
    std::vector<IndexEntry> index_;
    // Where the next chunk goes, as an idx1 offset (from the 'movi' list type, where
    // readers expect it): past the chunks in the index.
    std::uint64_t nextChunkOffset_ = kFirstChunkOffset;
    std::uint32_t largestChunk_ = 0;
};

}  // namespace kinorex
