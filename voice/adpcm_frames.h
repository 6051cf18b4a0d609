#pragma once

// Decoding many type-3 voice frames in one call. Each such frame carries its own starting
// state, so frames are independent of each other: decoded side by side, several at a time,
// they are not held up by the sample-to-sample wait that bounds decoding one frame.
//
// Usage, for frames gathered from a read block:
//
//     std::vector<AdpcmFrameJob> jobs;   // one per frame, pcm with room for 480 samples
//     decodeAdpcmFrames(jobs);           // then jobs[i].samples samples in jobs[i].pcm

#include <cstdint>
#include <span>

namespace kinorex::voice {

struct AdpcmFrameJob {
    const std::uint8_t* frame = nullptr;  // a voice frame: 4-byte header, then its payload
    std::int16_t* pcm = nullptr;          // room for the largest count a type-3 frame gives (480)
    std::int16_t samples = 0;             // out: the samples written to pcm
};

// Decodes every job's frame as HI_VOICE_DecReset(&c, HI_VOICE_TYPE_ADPCM) followed by
// HI_VOICE_DecodeFrame(&c, frame, pcm, &samples) would: the same samples and count, bit for
// bit, and a count of 0 for a frame that call refuses (frame mark, length byte). The caller
// guarantees that each frame's 4 + 2 * L bytes (L its length byte) are readable.
void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs);

// The ways a batch can be decoded. decodeAdpcmFrames takes the widest the processor runs; the
// others stay reachable so that tests and benchmarks can check and measure each.
enum class AdpcmBatchPath {
    kPortable,  // four frames interleaved in plain code, on any processor
    kAvx2,      // eight frames in 32-bit lanes
    kAvx512,    // thirty-two frames in 16-bit lanes (AVX-512 BW)
};

bool adpcmBatchPathAvailable(AdpcmBatchPath path);

// As decodeAdpcmFrames, along path, which must be available.
void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs, AdpcmBatchPath path);

}  // namespace kinorex::voice
