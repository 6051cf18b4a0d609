/* Encodes one G.711 A-law frame of a tone with the installed library and decodes it again;
 * exits 0 when the round trip is faithful. */
#include <hi_voice.h>
#include <stdio.h>
#include <stdlib.h>

enum { kSamples = 160 };

int main(void) {
    int16_t pcm[kSamples];
    for (int i = 0; i < kSamples; ++i) {
        pcm[i] = (int16_t)((i % 40 < 20 ? i % 40 : 40 - i % 40) * 1200 - 12000); /* 200 Hz */
    }
    HiVoiceContext encoder, decoder;
    uint8_t frame[HI_VOICE_MAX_ENCODED_BYTES];
    int16_t decoded[HI_VOICE_MAX_DECODED_SAMPLES];
    int16_t count = 0;
    if (HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_G711_ALAW) != HI_VOICE_OK ||
        HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_G711_ALAW) != HI_VOICE_OK ||
        HI_VOICE_EncodeFrame(&encoder, pcm, frame, kSamples) != HI_VOICE_OK ||
        HI_VOICE_DecodeFrame(&decoder, frame, decoded, &count) != HI_VOICE_OK ||
        count != kSamples) {
        fprintf(stderr, "round trip failed (%d samples back)\n", count);
        return 1;
    }
    for (int i = 0; i < kSamples; ++i) {
        /* A-law keeps about five significant bits, plus the smallest step. */
        if (abs(decoded[i] - pcm[i]) > abs(pcm[i]) / 32 + 16) {
            fprintf(stderr, "sample %d: %d decoded as %d\n", i, pcm[i], decoded[i]);
            return 1;
        }
    }
    printf("%d samples round trip\n", count);
    return 0;
}
