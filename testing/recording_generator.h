#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "recording_plan.h"

namespace kinorex::tools {

// Samples per generated voice frame: 40 ms at 8 kHz.
inline constexpr int kVoiceFrameSamples = 320;

// Type-3 (IMA ADPCM) voice frames for the speech, kVoiceFrameSamples each, encoded in order
// with one encoder; a last partial frame is left out.
std::vector<std::vector<std::uint8_t>> encodeSpeech(std::span<const std::int16_t> pcm);

// Writes the recording the plan describes, streaming it to disk. Frame records are
// interleaved by time: a channel's video frames at its frame rate, its voice frames every
// 40 ms, video first at equal times. An index block of key-frame entries follows every 64 key
// frames, and one more ends the chain. Throws std::runtime_error (with a message) on inputs
// it cannot use or a failed write.
void generateRecording(const RecordingPlan& plan);

}  // namespace kinorex::tools
