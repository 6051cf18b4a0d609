#include "adpcm_frames.h"

#include "hi_voice.h"

namespace kinorex::voice {

void decodeAdpcmFrames(std::span<AdpcmFrameJob> jobs) {
    HiVoiceContext context{};
    HI_VOICE_DecReset(&context, HI_VOICE_TYPE_ADPCM);
    for (auto& job : jobs) {
        HI_VOICE_DecodeFrame(&context, const_cast<std::uint8_t*>(job.frame), job.pcm, &job.samples);
    }
}

}  // namespace kinorex::voice
