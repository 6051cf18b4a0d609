/* Compiled as C11: the public header must serve C callers, with the layout they rely on. */
#include <stddef.h>

#include "hi_voice.h"

_Static_assert(sizeof(HiVoiceContext) == HI_VOICE_CONTEXT_BYTES, "context is 1024 bytes");
_Static_assert(offsetof(HiVoiceContext, codecType) == 0, "the codec type comes first");
_Static_assert(offsetof(HiVoiceTranscoder, decoder) == HI_VOICE_TRANSCODER_DECODER_OFFSET,
               "decoder context at byte 2048");
_Static_assert(sizeof(HiVoiceFrameHeader) == HI_VOICE_FRAME_HEADER_BYTES, "4-byte header");

/* Encodes four samples of 1000 as type 3 and decodes them again, all from C. */
int32_t voiceRoundTripFromC(int16_t decoded[HI_VOICE_MAX_DECODED_SAMPLES], int16_t* count) {
    static const int16_t samples[4] = {1000, 1000, 1000, 1000};
    HiVoiceContext encoder;
    HiVoiceContext decoder;
    uint8_t frame[HI_VOICE_MAX_ENCODED_BYTES];
    int32_t status = HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_ADPCM);
    if (status == HI_VOICE_OK) {
        status = HI_VOICE_EncodeFrame(&encoder, samples, frame, 4);
    }
    if (status == HI_VOICE_OK) {
        status = HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_ADPCM);
    }
    if (status == HI_VOICE_OK) {
        status = HI_VOICE_DecodeFrame(&decoder, frame, decoded, count);
    }
    return status;
}
