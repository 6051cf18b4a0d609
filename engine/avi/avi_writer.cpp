#include "avi/avi_writer.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "little_endian.h"

namespace kinorex {
namespace {

constexpr std::uint32_t kHasIndex = 0x10;  // AVIF_HASINDEX
constexpr std::size_t kIndexEntrySize = 16;

std::uint64_t indexChunkSize(std::size_t entries) {
    return riffChunkSpan(entries * kIndexEntrySize);
}
// Field offsets from the start of a chunk's header, for the values patched at the end.
constexpr std::uint64_t kAvihFlags = 8 + 12;
constexpr std::uint64_t kAvihTotalFrames = 8 + 16;
constexpr std::uint64_t kAvihSuggestedBufferSize = 8 + 28;
constexpr std::uint64_t kStrhLength = 8 + 32;

// Completing a file goes on past a failure; the first one is what the caller hears about.
void keepFirstError(int& first, int error) {
    if (!first) {
        first = error;
    }
}

// '00dc', '01wb', ...: the stream number in two digits, then what the data is.
std::uint32_t chunkIdFor(std::size_t stream, std::uint32_t type) {
    char id[5] = {char('0' + stream / 10), char('0' + stream % 10), 'd', 'c', 0};
    if (type == fourCc("auds")) {
        id[2] = 'w';
        id[3] = 'b';
    }
    return fourCc(id);
}

}  // namespace

AviWriter::AviWriter(std::unique_ptr<FileSink> file, std::uint64_t maxFileSize)
    : riff_(std::move(file)), maxFileSize_(std::min(maxFileSize, kMaxAviFileSize)) {}

AviWriter::~AviWriter() {
    finish();
}

int AviWriter::addStream(const AviStreamHeader& header, std::span<const std::byte> format) {
    if (headersWritten_ || streams_.size() >= kMaxStreams || format.empty()) {
        return EINVAL;
    }
    Stream stream{header, {format.begin(), format.end()}, chunkIdFor(streams_.size(), header.type)};
    streams_.push_back(std::move(stream));
    return 0;
}

void AviWriter::writeHeaders() {
    headersWritten_ = true;
    const AviStreamHeader* video = nullptr;
    for (const auto& stream : streams_) {
        if (stream.header.type == fourCc("vids")) {
            video = &stream.header;
            break;
        }
    }
    std::uint32_t microSecPerFrame = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (video) {
        // A rate of 0 leaves the period 0 rather than dividing by it.
        if (video->rate != 0) {
            microSecPerFrame = static_cast<std::uint32_t>(std::min<std::uint64_t>(
                std::uint64_t{1000000} * video->scale / video->rate, UINT32_MAX));
        }
        width = static_cast<std::uint32_t>(video->frameRight - video->frameLeft);
        height = static_cast<std::uint32_t>(video->frameBottom - video->frameTop);
    }

    riffStart_ = riff_.startList(fourCc("RIFF"), fourCc("AVI "));
    std::uint64_t hdrl = riff_.startList(fourCc("LIST"), fourCc("hdrl"));
    avihOffset_ = riff_.startTag(fourCc("avih"));
    riff_.putU32(microSecPerFrame);                             // dwMicroSecPerFrame
    riff_.putU32(0);                                            // dwMaxBytesPerSec
    riff_.putU32(0);                                            // dwPaddingGranularity
    riff_.putU32(kHasIndex);                                    // dwFlags, patched
    riff_.putU32(0);                                            // dwTotalFrames, patched
    riff_.putU32(0);                                            // dwInitialFrames
    riff_.putU32(static_cast<std::uint32_t>(streams_.size()));  // dwStreams
    riff_.putU32(0);                                            // dwSuggestedBufferSize, patched
    riff_.putU32(width);                                        // dwWidth
    riff_.putU32(height);                                       // dwHeight
    for (int i = 0; i < 4; ++i) {
        riff_.putU32(0);  // dwReserved
    }
    riff_.endTag(avihOffset_);

    for (auto& stream : streams_) {
        const AviStreamHeader& h = stream.header;
        std::uint64_t strl = riff_.startList(fourCc("LIST"), fourCc("strl"));
        stream.headerOffset = riff_.startTag(fourCc("strh"));
        riff_.putU32(h.type);                                     // fccType
        riff_.putU32(h.handler);                                  // fccHandler
        riff_.putU32(h.flags);                                    // dwFlags
        riff_.putU16(h.priority);                                 // wPriority
        riff_.putU16(h.language);                                 // wLanguage
        riff_.putU32(h.initialFrames);                            // dwInitialFrames
        riff_.putU32(h.scale);                                    // dwScale
        riff_.putU32(h.rate);                                     // dwRate
        riff_.putU32(h.start);                                    // dwStart
        riff_.putU32(0);                                          // dwLength, patched
        riff_.putU32(h.suggestedBufferSize);                      // dwSuggestedBufferSize
        riff_.putU32(h.quality);                                  // dwQuality
        riff_.putU32(h.sampleSize);                               // dwSampleSize
        riff_.putU16(static_cast<std::uint16_t>(h.frameLeft));    // rcFrame.left
        riff_.putU16(static_cast<std::uint16_t>(h.frameTop));     // rcFrame.top
        riff_.putU16(static_cast<std::uint16_t>(h.frameRight));   // rcFrame.right
        riff_.putU16(static_cast<std::uint16_t>(h.frameBottom));  // rcFrame.bottom
        riff_.endTag(stream.headerOffset);
        std::uint64_t strf = riff_.startTag(fourCc("strf"));
        riff_.putBytes(stream.format);
        riff_.endTag(strf);
        riff_.endTag(strl);
    }
    riff_.endTag(hdrl);
    moviStart_ = riff_.startList(fourCc("LIST"), fourCc("movi"));
}

int AviWriter::writeChunk(std::size_t stream, std::span<const std::byte> payload, bool keyFrame) {
    if (finished_ || stream >= streams_.size()) {
        return EINVAL;
    }
    if (!headersWritten_) {
        writeHeaders();
    }
    // Checked against the finished file, index included, so the limit holds however small
    // the chunks are.
    std::uint64_t finalSize =
        riff_.position() + riffChunkSpan(payload.size()) + indexChunkSize(index_.size() + 1);
    if (payload.size() > UINT32_MAX || finalSize > maxFileSize_) {
        return kRefused;
    }
    // Room for the entry first: once the chunk is written, recording it must not fail.
    if (index_.size() == index_.capacity()) {
        try {
            index_.reserve(std::max<std::size_t>(index_.capacity() * 2, 64));
        } catch (const std::bad_alloc&) {
            return ENOMEM;
        }
    }
    if (int error = riff_.writeChunk(streams_[stream].chunkId, payload)) {
        return error;
    }
    const auto size = static_cast<std::uint32_t>(payload.size());
    index_.push_back({size, static_cast<std::uint16_t>(stream), keyFrame});
    nextChunkOffset_ += riffChunkSpan(size);
    streams_[stream].chunks += 1;
    streams_[stream].bytes += size;
    largestChunk_ = std::max(largestChunk_, size);
    return 0;
}

int AviWriter::finish() {
    if (finished_) {
        return 0;
    }
    finished_ = true;
    if (!headersWritten_) {
        writeHeaders();
    }
    int firstError = riff_.flush();
    if (firstError) {
        // Chunks that never reached the disk leave the index too.
        riff_.dropBuffer();
        dropIndexBeyond(riff_.committed());
    }
    auto keep = [&firstError](int error) { keepFirstError(firstError, error); };
    if (riff_.committed() < moviStart_ + 12) {
        // Not even the headers are on disk: nothing to complete.
        keep(riff_.close());
        return firstError;
    }
    keep(riff_.endTag(moviStart_));
    int indexError = riff_.writeChunk(fourCc("idx1"), serialisedIndex());
    if (!indexError) {
        indexError = riff_.flush();
    }
    if (indexError) {
        // Without its index the file is still readable front to back.
        riff_.dropBuffer();
        keep(indexError);
    }
    keep(riff_.endTag(riffStart_));
    keep(patchTotals(indexError == 0));
    keep(riff_.close());
    return firstError;
}

std::size_t AviWriter::chunkCount() const {
    return index_.size();
}

std::size_t AviWriter::chunkCount(std::size_t stream) const {
    return stream < streams_.size() ? streams_[stream].chunks : 0;
}

std::uint64_t AviWriter::roomLeft() const {
    const std::uint64_t finalSize = riff_.position() + indexChunkSize(index_.size());
    return finalSize < maxFileSize_ ? maxFileSize_ - finalSize : 0;
}

// ckid, flags, offset, size: 16 bytes an entry.
std::vector<std::byte> AviWriter::serialisedIndex() const {
    std::vector<std::byte> bytes(index_.size() * kIndexEntrySize);
    std::byte* out = bytes.data();
    std::uint64_t offset = kFirstChunkOffset;
    for (const IndexEntry& entry : index_) {
        storeLe32(out, streams_[entry.stream].chunkId);
        storeLe32(out + 4, entry.keyFrame ? kKeyFrame : 0);
        storeLe32(out + 8, static_cast<std::uint32_t>(offset));
        storeLe32(out + 12, entry.size);
        offset += riffChunkSpan(entry.size);
        out += kIndexEntrySize;
    }
    return bytes;
}

int AviWriter::patchTotals(bool hasIndex) {
    int firstError = 0;
    auto keep = [&firstError](int error) { keepFirstError(firstError, error); };
    std::uint32_t totalFrames = 0;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        if (streams_[i].header.type == fourCc("vids")) {
            totalFrames = streams_[i].chunks;
            break;
        }
    }
    keep(riff_.patchU32(avihOffset_ + kAvihFlags, hasIndex ? kHasIndex : 0));
    keep(riff_.patchU32(avihOffset_ + kAvihTotalFrames, totalFrames));
    keep(riff_.patchU32(avihOffset_ + kAvihSuggestedBufferSize, largestChunk_));
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        // A stream of fixed-size samples counts samples, any other counts chunks.
        std::uint32_t sampleSize = streams_[i].header.sampleSize;
        auto length = sampleSize ? static_cast<std::uint32_t>(streams_[i].bytes / sampleSize)
                                 : streams_[i].chunks;
        keep(riff_.patchU32(streams_[i].headerOffset + kStrhLength, length));
    }
    return firstError;
}

void AviWriter::dropIndexBeyond(std::uint64_t fileEnd) {
    bool dropped = false;
    while (!index_.empty()) {
        const IndexEntry& last = index_.back();
        if (moviStart_ + 8 + nextChunkOffset_ <= fileEnd) {
            break;
        }
        nextChunkOffset_ -= riffChunkSpan(last.size);
        streams_[last.stream].chunks -= 1;
        streams_[last.stream].bytes -= last.size;
        index_.pop_back();
        dropped = true;
    }
    if (dropped) {
        largestChunk_ = 0;
        for (const IndexEntry& entry : index_) {
            largestChunk_ = std::max(largestChunk_, entry.size);
        }
    }
}

}  // namespace kinorex
