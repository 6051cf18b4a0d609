// HI_VOICE_EncodeFrame for every codec type on arbitrary samples and counts, and
// HI_VOICE_TransCodeFrame for every transcode type on arbitrary frames, with arbitrary
// context states. Buffers are exactly as large as the interface promises to touch.
#include <memory>
#include <vector>

#include "hi_voice.h"
#include "voice_context_input.h"

using kinorex::fuzz::FuzzInput;
using kinorex::fuzz::require;

namespace {

void encode(FuzzInput& input) {
    HiVoiceContext context{};
    HI_VOICE_EncReset(&context, kinorex::fuzz::codecTypeFrom(input));
    kinorex::fuzz::scribbleOnState(context, input);

    const auto count = static_cast<std::int16_t>(input.u16());
    const std::size_t carried =
        count > 0 && count <= HI_VOICE_MAX_ENCODE_SAMPLES ? static_cast<std::size_t>(count) : 1;
    std::vector<std::int16_t> pcm(carried);
    input.fill({reinterpret_cast<std::uint8_t*>(pcm.data()), pcm.size() * sizeof pcm[0]});

    std::vector<std::uint8_t> frame(HI_VOICE_MAX_ENCODED_BYTES);
    if (HI_VOICE_EncodeFrame(&context, pcm.data(), frame.data(), count) == HI_VOICE_OK) {
        require(frame[1] == 0x01 && frame[3] == 0);
        require(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{frame[2]} <= frame.size());
    }
}

void transcode(FuzzInput& input) {
    auto transcoder = std::make_unique<HiVoiceTranscoder>();
    const std::int32_t type = HI_VOICE_TRANSCODE_G711_ALAW + input.byte() % 5;  // 101: refused
    HI_VOICE_TransCodeReset(transcoder.get(), type);
    kinorex::fuzz::scribbleOnState(transcoder->decoder, input);

    // The frame as its header declares it, plus the 4 bytes an ADPCM frame grows by.
    std::uint8_t header[HI_VOICE_FRAME_HEADER_BYTES];
    input.fill(header);
    const std::size_t declared = HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{header[2]};
    std::vector<std::uint8_t> frame(declared + (type == HI_VOICE_TRANSCODE_ADPCM ? 4 : 0));
    std::copy(std::begin(header), std::end(header), frame.begin());
    input.fill({frame.data() + sizeof header, declared - sizeof header});
    require(HI_VOICE_TransCodeFrame(transcoder.get(), frame.data()) != HI_VOICE_ERR_NULL_INPUT);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    if (input.byte() & 1) {
        transcode(input);
    } else {
        encode(input);
    }
    return 0;
}
