/* Encodes one G.711 A-law frame of a tone and decodes it again; the installed header and
 * library must give the frame layout and a faithful round trip. Exits 0 when they do. */
#include <hi_voice.h>
#include <stdio.h>
#include <string.h>

enum { kSamples = 160 };

int main(void) {
    int16_t pcm[kSamples];
    for (int i = 0; i < kSamples; ++i) {
        int phase = i % 40; /* a 200 Hz triangle wave, peak 12000 */
        pcm[i] = (int16_t)((phase < 20 ? phase : 40 - phase) * 1200 - 12000);
    }

    HiVoiceContext encoder, decoder;
    uint8_t frame[HI_VOICE_MAX_ENCODED_BYTES];
    int16_t decoded[HI_VOICE_MAX_DECODED_SAMPLES];
    int16_t count = 0;
    if (HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_G711_ALAW) != HI_VOICE_OK ||
        HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_G711_ALAW) != HI_VOICE_OK ||
        HI_VOICE_EncodeFrame(&encoder, pcm, frame, kSamples) != HI_VOICE_OK ||
        HI_VOICE_DecodeFrame(&decoder, frame, decoded, &count) != HI_VOICE_OK) {
        fprintf(stderr, "a voice call failed\n");
        return 1;
    }
    const uint8_t header[HI_VOICE_FRAME_HEADER_BYTES] = {0x00, 0x01, kSamples / 2, 0x00};
    if (memcmp(frame, header, sizeof header) != 0 || count != kSamples) {
        fprintf(stderr, "frame header or sample count wrong (count %d)\n", count);
        return 1;
    }
    for (int i = 0; i < kSamples; ++i) {
        /* A-law keeps about five significant bits: the error stays below 1/32 of the value
         * plus the smallest step. */
        int error = decoded[i] - pcm[i];
        int magnitude = pcm[i] < 0 ? -pcm[i] : pcm[i];
        if ((error < 0 ? -error : error) > magnitude / 32 + 16) {
            fprintf(stderr, "sample %d: %d decoded as %d\n", i, pcm[i], decoded[i]);
            return 1;
        }
    }
    char version[HI_VOICE_VERSION_BYTES];
    if (HI_VOICE_GetVersion(version) != 0) {
        return 1;
    }
    printf("%s: %d samples round trip\n", version, count);
    return 0;
}
