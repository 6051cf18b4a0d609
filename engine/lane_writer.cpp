#include "lane_writer.h"

namespace kinorex {

namespace {

// A voice frame declares its payload length in 16-bit words; a record cut
// shorter than that would have the decoder read stale bytes of an earlier record.
bool holdsWholeVoiceFrame(const FrameRecord& record) {
    if (record.payloadSize() < HI_VOICE_FRAME_HEADER_BYTES) {
        return false;
    }
    const std::uint32_t declaredWords = record.payload()[2];
    return record.payloadSize() >= HI_VOICE_FRAME_HEADER_BYTES + 2 * declaredWords;
}

}  // namespace

LaneWriter::LaneWriter(std::array<ChannelParts, kChannelCount>& channels,
                       const std::array<std::uint16_t, kChannelCount>& audioTargets,
                       std::uint16_t outputs, std::int16_t* pcm)
    : channels_(channels),
      audioTargets_(audioTargets),
      outputs_(outputs),
      voiceSources_(voiceSourcesOf(audioTargets, outputs)),
      pcm_(pcm) {
    voiceFrames_.reserve(kFramesPerDecode);
}

void LaneWriter::take(std::span<const FrameRecord> records) {
    while (!records.empty()) {
        const std::size_t count = decodeVoice(records);
        writeRecords(records.first(count));
        records = records.subspan(count);
    }
}

std::uint16_t LaneWriter::voiceSourcesOf(
    const std::array<std::uint16_t, kChannelCount>& audioTargets, std::uint16_t outputs) {
    std::uint16_t sources = 0;
    for (int k = 0; k < kChannelCount; ++k) {
        if (audioTargets[k] & outputs) {
            sources |= static_cast<std::uint16_t>(1u << k);
        }
    }
    return sources;
}

std::uint16_t LaneWriter::voiceTargets(const FrameRecord& record) const {
    const std::uint32_t k = record.channelIndex();
    return k < kChannelCount && ((voiceSources_ >> k) & 1u) && record.isAudio()
               ? audioTargets_[k] & outputs_
               : 0;
}

std::size_t LaneWriter::decodeVoice(std::span<const FrameRecord> records) {
    voiceFrames_.clear();
    std::size_t count = 0;
    for (; count < records.size() && voiceFrames_.size() < kFramesPerDecode; ++count) {
        const FrameRecord& record = records[count];
        if (voiceTargets(record) != 0 && holdsWholeVoiceFrame(record)) {
            voiceFrames_.push_back(
                {record.payload(), pcm_ + voiceFrames_.size() * HI_VOICE_MAX_DECODED_SAMPLES});
        }
    }
    // Type-3 frames carry their starting state, so each decodes on its own, whatever channel
    // it belongs to.
    voice::decodeAdpcmFrames(voiceFrames_);
    return count;
}

void LaneWriter::writeRecords(std::span<const FrameRecord> records) {
    auto decoded = voiceFrames_.cbegin();
    for (const FrameRecord& record : records) {
        const std::uint32_t k = record.channelIndex();
        if (k >= kChannelCount || !(((outputs_ | voiceSources_) >> k) & 1u)) {
            continue;  // another lane's
        }
        if (record.isVideo() && ((outputs_ >> k) & 1u)) {
            channels_[k].writeVideo(record.payload(),
                                    static_cast<std::int32_t>(record.payloadSize()),
                                    record.isKeyFrame());
        } else if (const std::uint16_t targets = voiceTargets(record); targets != 0) {
            // A frame cut short by its record was not decoded; it still gets its empty
            // chunk, as a frame the decoder refuses does.
            const std::int16_t* samples = nullptr;
            std::int32_t bytes = 0;
            if (decoded != voiceFrames_.cend() && decoded->frame == record.payload()) {
                samples = decoded->pcm;
                bytes = decoded->samples * 2;
                ++decoded;
            }
            for (int j = 0; j < kChannelCount; ++j) {
                if ((targets >> j) & 1u) {
                    channels_[j].writeAudio(samples, bytes);
                }
            }
        }
    }
}

}  // namespace kinorex
