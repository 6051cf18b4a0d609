// The exported transcoder: turns frames of a 0x40 variant type into its base type in place.

#include "hi_voice.h"

#include <array>
#include <cstdint>
#include <utility>

namespace {

constexpr std::int16_t kFirstTranscodeType = HI_VOICE_TRANSCODE_G711_ALAW;
constexpr std::int16_t kLastTranscodeType = HI_VOICE_TRANSCODE_G726_16K;

// G.711 variants differ from their base only in the byte order of each payload word. The
// length byte is trusted as is: the caller's buffer holds the frame it describes.
void exchangeWordBytes(std::uint8_t* frame) {
    std::uint8_t* payload = frame + HI_VOICE_FRAME_HEADER_BYTES;
    for (int word = 0; word < frame[2]; ++word) {
        std::swap(payload[2 * word], payload[2 * word + 1]);
    }
}

// Decodes with the variant's decoder and encodes the samples back with the base's encoder.
// A refused frame leaves a count of 0, which the encoder refuses in turn, so the frame is left
// as it was.
void recode(HiVoiceTranscoder& transcoder, std::uint8_t* frame) {
    std::array<std::int16_t, HI_VOICE_MAX_DECODED_SAMPLES> pcm;
    std::int16_t count = 0;
    HI_VOICE_DecodeFrame(&transcoder.decoder, frame, pcm.data(), &count);
    HI_VOICE_EncodeFrame(&transcoder.encoder, pcm.data(), frame, count);
}

}  // namespace

extern "C" {

std::int32_t HI_VOICE_TransCodeReset(HiVoiceTranscoder* transcoder, std::int32_t transcodeType) {
    if (transcoder == nullptr) {
        return HI_VOICE_ERR_NULL_TRANSCODER;
    }
    const auto type = static_cast<std::int16_t>(transcodeType);
    if (type < kFirstTranscodeType || type > kLastTranscodeType) {
        return HI_VOICE_ERR_TRANSCODE_TYPE;
    }
    // The results are not looked at: a codec that is missing shows up as a frame left as is.
    HI_VOICE_DecReset(&transcoder->decoder, type - 32);
    HI_VOICE_EncReset(&transcoder->encoder, type - 96);
    return HI_VOICE_OK;
}

std::int32_t HI_VOICE_TransCodeFrame(HiVoiceTranscoder* transcoder, std::uint8_t* frame) {
    if (transcoder == nullptr) {
        return HI_VOICE_ERR_NULL_TRANSCODER;
    }
    if (frame == nullptr) {
        return HI_VOICE_ERR_NULL_INPUT;
    }
    switch (transcoder->encoder.codecType) {
        case HI_VOICE_TYPE_G711_ALAW:
        case HI_VOICE_TYPE_G711_ULAW:
            exchangeWordBytes(frame);
            return HI_VOICE_OK;
        case HI_VOICE_TYPE_ADPCM:
        case HI_VOICE_TYPE_G726_16K:
            recode(*transcoder, frame);
            return HI_VOICE_OK;
        default:
            return HI_VOICE_ERR_TRANSCODE_TYPE;
    }
}

}  // extern "C"
