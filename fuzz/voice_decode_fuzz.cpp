// HI_VOICE_DecodeFrame for every codec type on arbitrary frames and context states. The frame
// and the PCM buffer are exactly as large as the interface promises to touch, so that the
// sanitizer sees any access beyond them.
#include <memory>
#include <vector>

#include "hi_voice.h"
#include "voice_context_input.h"

using kinorex::fuzz::FuzzInput;
using kinorex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    HiVoiceContext context{};
    HI_VOICE_DecReset(&context, kinorex::fuzz::codecTypeFrom(input));
    kinorex::fuzz::scribbleOnState(context, input);

    // Header and payload as the header declares it, zero-padded when the input is shorter.
    std::uint8_t header[HI_VOICE_FRAME_HEADER_BYTES];
    input.fill(header);
    std::vector<std::uint8_t> frame(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{header[2]});
    std::copy(std::begin(header), std::end(header), frame.begin());
    input.fill({frame.data() + HI_VOICE_FRAME_HEADER_BYTES, frame.size() - sizeof header});

    const auto pcm = std::make_unique<std::int16_t[]>(HI_VOICE_MAX_DECODED_SAMPLES);
    std::int16_t count = -1;
    const std::int32_t status = HI_VOICE_DecodeFrame(&context, frame.data(), pcm.get(), &count);
    require(count >= 0 && count <= HI_VOICE_MAX_DECODED_SAMPLES);
    require(status == HI_VOICE_OK || count == 0);
    return 0;
}
