#include "adpcm_frames.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "adpcm_lanes.h"
#include "adpcm_state_words.h"
#include "codec_entry.h"

namespace kinorex::voice {
namespace {

// The kernels a path runs, widest first; frames that fill none of them are decoded one by one.
std::span<const AdpcmLaneKernel> kernelsFor(AdpcmBatchPath path) {
#ifdef KINOREX_ADPCM_X86_64_LANES
    static constexpr std::array kAvx512 = {kAdpcmAvx512Kernel, kAdpcmAvx2Kernel,
                                           kAdpcmPortableKernel};
    static constexpr std::array kAvx2 = {kAdpcmAvx2Kernel, kAdpcmPortableKernel};
    if (path == AdpcmBatchPath::kAvx512) {
        return kAvx512;
    }
    if (path == AdpcmBatchPath::kAvx2) {
        return kAvx2;
    }
#endif
    static constexpr std::array kPortable = {kAdpcmPortableKernel};
    assert(path == AdpcmBatchPath::kPortable);
    return kPortable;
}

AdpcmBatchPath widestPath() {
    static const AdpcmBatchPath widest = [] {
        for (const auto path : {AdpcmBatchPath::kAvx512, AdpcmBatchPath::kAvx2}) {
            if (adpcmBatchPathAvailable(path)) {
                return path;
            }
        }
        return AdpcmBatchPath::kPortable;
    }();
    return widest;
}

// Lanes are gathered until there are enough for the widest kernel.
#ifdef KINOREX_ADPCM_X86_64_LANES
constexpr std::size_t kMostLanes = kAdpcmAvx512Kernel.lanes;
#else
constexpr std::size_t kMostLanes = kAdpcmPortableKernel.lanes;
#endif

void finishSingly(std::span<AdpcmLane> lanes, NibbleOrder order) {
    for (AdpcmLane& lane : lanes) {
        if (lane.samples > 0) {
            decodeAdpcm(lane.state, std::span(lane.codes, (lane.samples + 1) / 2),
                        std::span(lane.pcm, lane.samples), order);
        }
    }
}

// Each kernel decodes as many groups of its width as there are, as far as the shortest frame
// of the group reaches in whole blocks; the rest of every frame is decoded on its own. Frames in
// one batch nearly always have the same length, so that rest is rare.
void decodeLanes(std::span<AdpcmLane> lanes, std::span<const AdpcmLaneKernel> kernels,
                 NibbleOrder order) {
    for (const AdpcmLaneKernel& kernel : kernels) {
        for (; lanes.size() >= kernel.lanes; lanes = lanes.subspan(kernel.lanes)) {
            const auto group = lanes.first(kernel.lanes);
            const std::size_t shortest = std::ranges::min(group, {}, &AdpcmLane::samples).samples;
            kernel.decode(group, shortest - shortest % kernel.block, order);
            finishSingly(group, order);
        }
    }
    finishSingly(lanes, order);
}

}  // namespace

bool adpcmBatchPathAvailable(AdpcmBatchPath path) {
    switch (path) {
        case AdpcmBatchPath::kPortable:
            return true;
#ifdef KINOREX_ADPCM_X86_64_LANES
        case AdpcmBatchPath::kAvx2:
            return cpuHasAvx2();
        case AdpcmBatchPath::kAvx512:
            return cpuHasAvx2() && cpuHasAvx512bw();
#endif
        default:
            return false;
    }
}

void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs) {
    decodeAdpcmFrames(jobs, widestPath());
}

void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs, AdpcmBatchPath path) {
    // The frames are type 3's: their lengths, layout and nibble order are the codec table's.
    static const CodecEntry& codec = *findCodec(HI_VOICE_TYPE_ADPCM);
    assert(codec.layout.stateWords == 2 && codec.layout.leadingSamples == 0);
    const auto kernels = kernelsFor(path);
    const NibbleOrder order = codec.arrangement.nibbleOrder;
    std::array<AdpcmLane, kMostLanes> lanes{};
    std::size_t gathered = 0;
    for (AdpcmFrameJob& job : jobs) {
        const int length = job.frame[2];
        const bool accepted = hasFrameMark(job.frame) && codec.decodeLengths.accepts(length);
        job.samples = static_cast<std::int16_t>(accepted ? codec.layout.samplesIn(length) : 0);
        if (job.samples == 0) {
            continue;
        }
        const std::uint8_t* payload = job.frame + HI_VOICE_FRAME_HEADER_BYTES;
        lanes[gathered++] = {payload + kAdpcmStateWordBytes, job.pcm,
                             static_cast<std::size_t>(job.samples), readAdpcmStateWords(payload)};
        if (gathered == lanes.size()) {
            decodeLanes(lanes, kernels, order);
            gathered = 0;
        }
    }
    decodeLanes(std::span(lanes).first(gathered), kernels, order);
}

}  // namespace kinorex::voice
