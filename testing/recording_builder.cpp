#include "recording_builder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "little_endian.h"
#include "recording/recording_layout.h"

namespace kinorex::test {

namespace {

void append32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    storeLe32(out.data() + out.size() - 4, value);
}

}  // namespace

RecordingBuilder::RecordingBuilder() : header_(kHeaderBytes, 0) {}

RecordingBuilder& RecordingBuilder::videoStandard(std::uint8_t value) {
    return headerByte(13, value);
}

RecordingBuilder& RecordingBuilder::channel(int channelNumber, std::uint8_t resolutionCode,
                                            std::uint8_t frameRateCode) {
    if (channelNumber < 1 || channelNumber > 16) {
        throw std::invalid_argument("channel number outside 1..16");
    }
    headerByte(359 + channelNumber, resolutionCode);
    return headerByte(391 + channelNumber, frameRateCode);
}

RecordingBuilder& RecordingBuilder::indexEntryCount(std::uint32_t count) {
    entryCount_ = count;
    return *this;
}

RecordingBuilder& RecordingBuilder::indexEndOffset(std::uint64_t offset) {
    endOffset_ = offset;
    return *this;
}

RecordingBuilder& RecordingBuilder::headerByte(std::size_t offset, std::uint8_t value) {
    header_.at(offset) = value;
    return *this;
}

RecordingBuilder& RecordingBuilder::video(std::uint32_t channelIndex, Bytes payload, bool keyFrame,
                                          std::uint8_t audioChannel) {
    return record({.channelIndex = channelIndex,
                   .type = kVideoFrame,
                   .audioChannel = audioChannel,
                   .keyMarker = static_cast<std::uint8_t>(keyFrame ? 0 : 1),
                   .payload = std::move(payload)});
}

RecordingBuilder& RecordingBuilder::audio(std::uint32_t channelIndex, Bytes voiceFrame) {
    return record(
        {.channelIndex = channelIndex, .type = kAudioFrame, .payload = std::move(voiceFrame)});
}

RecordingBuilder& RecordingBuilder::record(const RawFrameRecord& frame) {
    std::uint8_t header[24] = {};
    storeLe32(header, frame.channelIndex);
    header[7] = frame.type;
    header[8] = frame.audioChannel;
    header[11] = frame.keyMarker;
    storeLe32(header + 20,
              frame.declaredLength.value_or(static_cast<std::uint32_t>(frame.payload.size())));
    body_.insert(body_.end(), header, header + sizeof header);
    body_.insert(body_.end(), frame.payload.begin(), frame.payload.end());
    flushIfLarge();
    return *this;
}

RecordingBuilder& RecordingBuilder::indexBlock(const IndexBlock& block) {
    // Each magic is three letters and a zero byte, as a C string literal holds them.
    const char* headerMagic = block.headerMagic ? "IUR" : "IUX";
    body_.insert(body_.end(), headerMagic, headerMagic + 4);
    body_.resize(body_.size() + 16, 0);
    // Read as a frame header, the block header's bytes 20..23 carry the rest of the block as
    // its payload length, so a frame walk steps over the block.
    const auto count = static_cast<std::uint32_t>(block.entries.size());
    append32(body_, count * 10 + 76);
    for (const IndexEntry& entry : block.entries) {
        body_.insert(body_.end(), entry.begin(), entry.end());
    }
    body_.resize(body_.size() + 64, 0);
    append32(body_, block.declaredCount.value_or(count));
    const std::uint64_t end = size() + 8;
    const std::uint64_t previousEnd = lastBlockEnd_ != 0 ? lastBlockEnd_ : kHeaderBytes;
    append32(body_, block.distance.value_or(static_cast<std::uint32_t>(end - previousEnd)));
    const char* trailerMagic = block.trailerMagic ? "NUX" : "NUR";
    body_.insert(body_.end(), trailerMagic, trailerMagic + 4);
    entriesWritten_ += count;
    lastBlockEnd_ = end;
    flushIfLarge();
    return *this;
}

RecordingBuilder& RecordingBuilder::raw(const Bytes& bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
    flushIfLarge();
    return *this;
}

Bytes RecordingBuilder::fileHeader() const {
    Bytes file = header_;
    storeLe32(file.data() + kIndexEntryCountOffset,
              entryCount_.value_or(entriesWritten_ != 0 ? entriesWritten_ : 1));
    const std::uint64_t end = endOffset_.value_or(
        lastBlockEnd_ != 0 ? lastBlockEnd_ : std::max<std::uint64_t>(size(), kHeaderBytes + 1));
    storeLe(file.data() + kIndexEndOffset, end, 8);
    return file;
}

Bytes RecordingBuilder::bytes() const {
    Bytes file = fileHeader();
    file.insert(file.end(), body_.begin(), body_.end());
    return file;
}

const RecordingBuilder& RecordingBuilder::write(const std::filesystem::path& path) const {
    const Bytes file = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return *this;
}

RecordingBuilder& RecordingBuilder::streamTo(std::ostream& out) {
    stream_ = &out;
    // The header's counts and offsets are known only at the end; its place is kept.
    stream_->write(reinterpret_cast<const char*>(header_.data()),
                   static_cast<std::streamsize>(header_.size()));
    flushBody();
    return *this;
}

void RecordingBuilder::finishStream() {
    flushBody();
    const Bytes header = fileHeader();
    stream_->seekp(0);
    stream_->write(reinterpret_cast<const char*>(header.data()),
                   static_cast<std::streamsize>(header.size()));
    if (!stream_->flush()) {
        throw std::runtime_error("cannot write the recording");
    }
}

void RecordingBuilder::flushIfLarge() {
    constexpr std::size_t kFlushBytes = 1 << 20;
    if (stream_ && body_.size() >= kFlushBytes) {
        flushBody();
    }
}

void RecordingBuilder::flushBody() {
    if (!stream_->write(reinterpret_cast<const char*>(body_.data()),
                        static_cast<std::streamsize>(body_.size()))) {
        throw std::runtime_error("cannot write the recording");
    }
    streamed_ += body_.size();
    body_.clear();
}

Bytes testPayload(std::size_t size, std::uint8_t seed) {
    Bytes payload(size);
    for (std::size_t i = 0; i < size; ++i) {
        payload[i] = static_cast<std::uint8_t>(seed + i);
    }
    constexpr std::uint8_t kStartCode[] = {0, 0, 0, 1};
    std::copy_n(kStartCode, std::min(size, sizeof kStartCode), payload.begin());
    return payload;
}

Bytes testVoiceFrame(std::uint8_t words, std::uint8_t seed) {
    Bytes frame{0, 1, words, 0};
    for (std::size_t i = 0; i < 2u * words; ++i) {
        frame.push_back(static_cast<std::uint8_t>(seed + i));
    }
    return frame;
}

}  // namespace kinorex::test
