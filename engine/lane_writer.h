#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "adpcm_frames.h"
#include "channel_parts.h"
#include "channel_table.h"
#include "hi_voice.h"
#include "recording/frame_record.h"

namespace kinorex {

// One lane of a conversion: writes what belongs to its outputs of the records the walk
// hands it, video frames as they are, voice frames decoded to PCM. Records come a read-ahead
// block at a time, and the voice frames among them are decoded many at once, which lets the
// decoder work on several side by side.
class LaneWriter {
public:
    // Decoding this many voice frames at a time keeps the decoder busy and their PCM
    // within 250 KB.
    static constexpr std::size_t kFramesPerDecode = 256;
    static constexpr std::size_t kPcmSamples = kFramesPerDecode * HI_VOICE_MAX_DECODED_SAMPLES;

    // outputs: bit j for the channel outputs this lane writes; audioTargets[k]: the outputs
    // that take the voice of channel index k; pcm: room for kPcmSamples.
    LaneWriter(std::array<ChannelParts, kChannelCount>& channels,
               const std::array<std::uint16_t, kChannelCount>& audioTargets, std::uint16_t outputs,
               std::int16_t* pcm);

    // Writes the next records of the recording, in file order.
    void take(std::span<const FrameRecord> records);

private:
    static std::uint16_t voiceSourcesOf(
        const std::array<std::uint16_t, kChannelCount>& audioTargets, std::uint16_t outputs);
    // The outputs of this lane that take the record's voice.
    std::uint16_t voiceTargets(const FrameRecord& record) const;
    // Decodes the voice frames at the front of `records` that this lane writes, as many as
    // the PCM buffer holds; returns how many records they cover.
    std::size_t decodeVoice(std::span<const FrameRecord> records);
    void writeRecords(std::span<const FrameRecord> records);

    std::array<ChannelParts, kChannelCount>& channels_;
    const std::array<std::uint16_t, kChannelCount>& audioTargets_;
    const std::uint16_t outputs_;
    // Bit k: the voice of channel index k goes to an output of this lane.
    const std::uint16_t voiceSources_;
    std::int16_t* const pcm_;
    std::vector<voice::AdpcmFrameJob> voiceFrames_;
};

}  // namespace kinorex
