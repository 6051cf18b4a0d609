/*
 * Kinorex voice library: 16-bit linear PCM speech to and from voice frames, with
 * G.711 A-law/mu-law, IMA ADPCM, G.726 (16/24/32/40 kbit/s) and a 16 kbit/s variant.
 *
 * A voice frame is a 4-byte header (frame mark 0x0100, payload length L in 16-bit words,
 * a zero byte) followed by 2*L payload bytes; 16-bit quantities are little-endian.
 * PCM is native-endian int16_t at 8000 samples/s; sample counts never count bytes.
 * Every function returns 0 or an HI_VOICE_ERR_ status; nothing is allocated and no global
 * state is kept, so contexts used by different threads never interfere.
 *
 * Usage, decoding a stream of type-3 frames:
 *
 *     HiVoiceContext decoder;
 *     int16_t pcm[HI_VOICE_MAX_DECODED_SAMPLES];
 *     int16_t count;
 *     HI_VOICE_DecReset(&decoder, HI_VOICE_TYPE_ADPCM);
 *     for each frame:
 *         if (HI_VOICE_DecodeFrame(&decoder, frame, pcm, &count) == HI_VOICE_OK)
 *             consume(pcm, count);
 */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) && !defined(_WIN32) /* a Windows DLL exports what its .def names */
#define HI_VOICE_API __attribute__((visibility("default")))
#else
#define HI_VOICE_API
#endif

/* Codec types: a base type 1..7, +0x20 for the first variant family, +0x40 for the second. */
#define HI_VOICE_TYPE_G711_ALAW 1           /* one A-law code byte per sample */
#define HI_VOICE_TYPE_G711_ULAW 2           /* one mu-law code byte per sample */
#define HI_VOICE_TYPE_ADPCM 3               /* IMA ADPCM: state words, then 2 codes per byte */
#define HI_VOICE_TYPE_G726_16K 4            /* G.726, 2 bits per sample, LSB-first packing */
#define HI_VOICE_TYPE_G726_24K 5            /* 3 bits per sample */
#define HI_VOICE_TYPE_G726_32K 6            /* 4 bits per sample */
#define HI_VOICE_TYPE_G726_40K 7            /* 5 bits per sample */
#define HI_VOICE_TYPE_ADPCM_FIRST_SAMPLE 35 /* ADPCM: first sample as is, nibbles exchanged */
#define HI_VOICE_TYPE_G726_16K_MSB 36       /* types 4..7 with MSB-first packing */
#define HI_VOICE_TYPE_G726_24K_MSB 37
#define HI_VOICE_TYPE_G726_32K_MSB 38
#define HI_VOICE_TYPE_G726_40K_MSB 39
#define HI_VOICE_TYPE_G711_ALAW_SWAPPED 65 /* type 1, bytes of every payload word exchanged */
#define HI_VOICE_TYPE_G711_ULAW_SWAPPED 66 /* type 2, bytes of every payload word exchanged */
#define HI_VOICE_TYPE_ADPCM_STATELESS 67   /* ADPCM codes only, state carried by the contexts */
#define HI_VOICE_TYPE_G726_16K_VARIANT 68  /* 16 kbit/s variant, 8 codes per word, first on top */

/* Transcode types: 96 + base type, converting the base type's 0x40 variant into the base. */
#define HI_VOICE_TRANSCODE_G711_ALAW 97 /* type 65 -> type 1 */
#define HI_VOICE_TRANSCODE_G711_ULAW 98 /* type 66 -> type 2 */
#define HI_VOICE_TRANSCODE_ADPCM 99     /* type 67 -> type 3 */
#define HI_VOICE_TRANSCODE_G726_16K 100 /* type 68 -> type 4 */

/* Status codes. */
#define HI_VOICE_OK 0
#define HI_VOICE_ERR_ENC_TYPE ((int32_t)0xA1220001u)        /* unrecognised codec type */
#define HI_VOICE_ERR_ENC_COUNT ((int32_t)0xA1220002u)       /* sample count outside 1..481 */
#define HI_VOICE_ERR_DEC_TYPE ((int32_t)0xA1220011u)        /* unrecognised codec type */
#define HI_VOICE_ERR_DEC_LENGTH ((int32_t)0xA1220012u)      /* length byte not accepted */
#define HI_VOICE_ERR_DEC_MARK ((int32_t)0xA1220013u)        /* frame mark bits 8..9 not 01 */
#define HI_VOICE_ERR_NULL_CONTEXT ((int32_t)0xA1220101u)    /* null voice context */
#define HI_VOICE_ERR_NULL_INPUT ((int32_t)0xA1220102u)      /* null PCM input / frame */
#define HI_VOICE_ERR_NULL_OUTPUT ((int32_t)0xA1220103u)     /* null output / sample count */
#define HI_VOICE_ERR_NULL_TRANSCODER ((int32_t)0xA1221001u) /* null transcoder context */
#define HI_VOICE_ERR_TRANSCODE_TYPE ((int32_t)0xA1221002u)  /* transcode type not 97..100 */

/* Sizes. */
#define HI_VOICE_VERSION_BYTES 42 /* version text with its terminating zero */
#define HI_VOICE_FRAME_HEADER_BYTES 4
#define HI_VOICE_FRAME_MARK 0x0100
#define HI_VOICE_MAX_ENCODE_SAMPLES 481  /* largest sample count HI_VOICE_EncodeFrame takes */
#define HI_VOICE_MAX_ENCODED_BYTES 484   /* longest frame an encoder writes (G.711, L = 240) */
#define HI_VOICE_MAX_DECODED_SAMPLES 488 /* PCM buffer HI_VOICE_DecodeFrame needs (type 67) */
#define HI_VOICE_CONTEXT_BYTES 1024
#define HI_VOICE_TRANSCODER_DECODER_OFFSET 2048

/* The 4-byte header in front of every payload, byte by byte (the mark is little-endian). */
typedef struct HiVoiceFrameHeader {
    uint8_t markLow;    /* 0x00 as written; ignored by the decoder */
    uint8_t markHigh;   /* 0x01 as written; the decoder requires bits 0..1 to read 01 */
    uint8_t length;     /* payload length L in 16-bit words, 1..255 */
    uint8_t lengthHigh; /* 0 as written; ignored by the decoder */
} HiVoiceFrameHeader;

/* State of one encoder or decoder, owned by the caller; valid after a reset. */
typedef struct HiVoiceContext {
    int16_t codecType; /* stored by the last reset, also when it failed */
    int16_t reserved[3];
    union {
        int64_t alignment;
        uint8_t bytes[HI_VOICE_CONTEXT_BYTES - 8];
    } state; /* the codec's state; its layout belongs to the codec */
} HiVoiceContext;

/* One encoder context at the start and one decoder context at byte 2048. */
typedef struct HiVoiceTranscoder {
    HiVoiceContext encoder;
    uint8_t gap[HI_VOICE_TRANSCODER_DECODER_OFFSET - sizeof(HiVoiceContext)];
    HiVoiceContext decoder;
} HiVoiceTranscoder;

/* Copies the 42-byte version text, zero included, into version. Returns 0, or -1 if null. */
HI_VOICE_API int32_t HI_VOICE_GetVersion(char* version);

/* Prepares context for encoding with codecType (low 16 bits count). The type is stored even
 * when unrecognised, which returns HI_VOICE_ERR_ENC_TYPE. */
HI_VOICE_API int32_t HI_VOICE_EncReset(HiVoiceContext* context, int32_t codecType);

/* As HI_VOICE_EncReset for a decoder; an unrecognised type returns HI_VOICE_ERR_DEC_TYPE. */
HI_VOICE_API int32_t HI_VOICE_DecReset(HiVoiceContext* context, int32_t codecType);

/* Encodes sampleCount (1..481) samples of pcm into one voice frame at frame, which needs room
 * for HI_VOICE_MAX_ENCODED_BYTES. Trailing samples the layout cannot carry advance the state. */
HI_VOICE_API int32_t HI_VOICE_EncodeFrame(HiVoiceContext* context, const int16_t* pcm,
                                          uint8_t* frame, int16_t sampleCount);

/* Decodes one voice frame into pcm (room for HI_VOICE_MAX_DECODED_SAMPLES) and stores the
 * sample count, 0 after any failure past the pointer checks. Types 36..39 repack the caller's
 * payload in place into LSB-first order. */
HI_VOICE_API int32_t HI_VOICE_DecodeFrame(HiVoiceContext* context, uint8_t* frame, int16_t* pcm,
                                          int16_t* sampleCount);

/* Resets the transcoder for transcodeType 97..100 (low 16 bits count). */
HI_VOICE_API int32_t HI_VOICE_TransCodeReset(HiVoiceTranscoder* transcoder, int32_t transcodeType);

/* Rewrites one 0x40-variant frame into the base type in place; type 99 grows the frame by
 * 4 bytes. A frame the decoder refuses is left as it was, and 0 is still returned. */
HI_VOICE_API int32_t HI_VOICE_TransCodeFrame(HiVoiceTranscoder* transcoder, uint8_t* frame);

#ifdef __cplusplus
}
#endif
