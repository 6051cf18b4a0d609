#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

namespace kinorex::test {

using Bytes = std::vector<std::uint8_t>;
using IndexEntry = std::array<std::uint8_t, 10>;

inline constexpr std::uint8_t kVideoFrame = 2;
inline constexpr std::uint8_t kAudioFrame = 3;
inline constexpr std::size_t kHeaderBytes = 1428;

// One frame record exactly as it goes into the file; every field may be set to anything,
// valid or not.
struct RawFrameRecord {
    std::uint32_t channelIndex = 0;
    std::uint8_t type = kVideoFrame;
    std::uint8_t audioChannel = 0;
    std::uint8_t keyMarker = 0;  // 0 marks a key frame
    Bytes payload{};
    // Payload length as written in the frame header; by default payload.size(). A larger
    // value at the end of the file makes a record cut short.
    std::optional<std::uint32_t> declaredLength{};
};

// One index block. By default it is sound: its distance reaches back to the end of the
// previous block (or to the end of the file header for the first one).
struct IndexBlock {
    std::vector<IndexEntry> entries{};
    std::optional<std::uint32_t> declaredCount{};  // M as written; by default entries.size()
    std::optional<std::uint32_t> distance{};       // D as written
    bool headerMagic = true;                       // false writes "IUX" for "IUR"
    bool trailerMagic = true;                      // false writes "NUR" for "NUX"
};

// Builds recording files for tests: a file header, then frame records, index blocks and
// raw bytes in the order they are added. Header fields not set explicitly are derived when
// the file is produced: the index entry count N is the number of entries in all index
// blocks (1 when there are none, as 0 is refused), and the index end offset E is the end of
// the last index block (the end of the file when there is none).
//
//   RecordingBuilder builder;
//   builder.channel(1, 0, 5).video(0, testPayload(4000, 1), true, 1).audio(0, voice)
//          .indexBlock({.entries = {entry}}).write(path);
class RecordingBuilder {
public:
    RecordingBuilder();

    // File header.
    RecordingBuilder& videoStandard(std::uint8_t value);
    // Resolution and frame-rate codes of channel number 1..16.
    RecordingBuilder& channel(int channelNumber, std::uint8_t resolutionCode,
                              std::uint8_t frameRateCode);
    RecordingBuilder& indexEntryCount(std::uint32_t count);
    RecordingBuilder& indexEndOffset(std::uint64_t offset);
    RecordingBuilder& headerByte(std::size_t offset, std::uint8_t value);

    // Frame records; channelIndex is 0..15 for a valid record.
    RecordingBuilder& video(std::uint32_t channelIndex, Bytes payload, bool keyFrame = true,
                            std::uint8_t audioChannel = 0);
    RecordingBuilder& audio(std::uint32_t channelIndex, Bytes voiceFrame);
    RecordingBuilder& record(const RawFrameRecord& frame);

    RecordingBuilder& indexBlock(const IndexBlock& block);
    RecordingBuilder& raw(const Bytes& bytes);

    // Offset at which the next record, block or raw bytes will start.
    std::uint64_t size() const { return kHeaderBytes + streamed_ + body_.size(); }

    Bytes bytes() const;
    // Throws std::runtime_error when the file cannot be written.
    const RecordingBuilder& write(const std::filesystem::path& path) const;

    // For recordings too big to hold in memory: from now on the recording goes to `out` (a
    // seekable stream at its start, which must outlive the builder's use) as it is built,
    // and finishStream completes it with its header. bytes() and write() are not for a
    // streamed builder. Both throw std::runtime_error when a write fails.
    RecordingBuilder& streamTo(std::ostream& out);
    void finishStream();

private:
    Bytes fileHeader() const;
    void flushIfLarge();
    void flushBody();

    Bytes header_;
    Bytes body_;
    std::ostream* stream_ = nullptr;
    std::uint64_t streamed_ = 0;  // body bytes already in the streamed file
    std::uint32_t entriesWritten_ = 0;
    std::uint64_t lastBlockEnd_ = 0;
    std::optional<std::uint32_t> entryCount_;
    std::optional<std::uint64_t> endOffset_;
};

// `size` bytes counting up from `seed`, so that misplaced bytes show in a comparison, after
// an Annex B start code, as every genuine video frame begins.
Bytes testPayload(std::size_t size, std::uint8_t seed = 0);
// A voice frame of `words` 16-bit words after its header, counting up from `seed`: the
// header is genuine, the sound is not.
Bytes testVoiceFrame(std::uint8_t words = 2, std::uint8_t seed = 0);

}  // namespace kinorex::test
