// The exported codec functions: argument checks in their fixed order, then one call through
// the codec table. Nothing here knows a particular codec.

#include "hi_voice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "codec_entry.h"

namespace {

using kinorex::voice::CodecEntry;
using kinorex::voice::findCodec;
using kinorex::voice::hasFrameMark;

constexpr std::string_view kVersion = "HI_VOICE_VERSION=KNRX01_VOICELIB_V1.0.0.0";
static_assert(kVersion.size() + 1 == HI_VOICE_VERSION_BYTES);

constexpr int kMaxPayloadBytes = 960;  // room for any codec's codes of 481 samples

static_assert(sizeof(HiVoiceContext) == HI_VOICE_CONTEXT_BYTES);
static_assert(offsetof(HiVoiceTranscoder, decoder) == HI_VOICE_TRANSCODER_DECODER_OFFSET);

// Only the low 16 bits of a type argument count.
std::int16_t typeOf(std::int32_t argument) {
    return static_cast<std::int16_t>(argument);
}

std::int32_t reset(HiVoiceContext* context, std::int32_t codecType, std::int32_t unrecognised) {
    if (context == nullptr) {
        return HI_VOICE_ERR_NULL_CONTEXT;
    }
    const std::int16_t type = typeOf(codecType);
    const CodecEntry* codec = findCodec(type);
    if (codec != nullptr) {
        codec->functions.reset(*context, *codec);
    }
    context->codecType = type;
    return codec != nullptr ? HI_VOICE_OK : unrecognised;
}

void writeHeader(std::uint8_t* frame, int length) {
    frame[0] = HI_VOICE_FRAME_MARK & 0xFF;
    frame[1] = HI_VOICE_FRAME_MARK >> 8;
    frame[2] = static_cast<std::uint8_t>(length);
    frame[3] = 0;
}

}  // namespace

extern "C" {

std::int32_t HI_VOICE_GetVersion(char* version) {
    if (version == nullptr) {
        return -1;
    }
    std::memcpy(version, kVersion.data(), kVersion.size());
    version[kVersion.size()] = '\0';
    return HI_VOICE_OK;
}

std::int32_t HI_VOICE_EncReset(HiVoiceContext* context, std::int32_t codecType) {
    return reset(context, codecType, HI_VOICE_ERR_ENC_TYPE);
}

std::int32_t HI_VOICE_DecReset(HiVoiceContext* context, std::int32_t codecType) {
    return reset(context, codecType, HI_VOICE_ERR_DEC_TYPE);
}

std::int32_t HI_VOICE_EncodeFrame(HiVoiceContext* context, const std::int16_t* pcm,
                                  std::uint8_t* frame, std::int16_t sampleCount) {
    if (context == nullptr) {
        return HI_VOICE_ERR_NULL_CONTEXT;
    }
    if (pcm == nullptr) {
        return HI_VOICE_ERR_NULL_INPUT;
    }
    if (frame == nullptr) {
        return HI_VOICE_ERR_NULL_OUTPUT;
    }
    if (sampleCount < 1 || sampleCount > HI_VOICE_MAX_ENCODE_SAMPLES) {
        return HI_VOICE_ERR_ENC_COUNT;
    }
    const CodecEntry* codec = findCodec(context->codecType);
    if (codec == nullptr) {
        return HI_VOICE_ERR_ENC_TYPE;
    }
    // The codec may write codes that the frame does not carry (samples past the last whole
    // group); they go to this scratch frame, never past the caller's 4 + 2 * L bytes.
    std::array<std::uint8_t, HI_VOICE_FRAME_HEADER_BYTES + kMaxPayloadBytes> work{};
    const int length = codec->layout.lengthFor(sampleCount);
    codec->functions.encode(*context, *codec, std::span(pcm, static_cast<std::size_t>(sampleCount)),
                            std::span(work).subspan(HI_VOICE_FRAME_HEADER_BYTES));
    writeHeader(work.data(), length);
    std::memcpy(frame, work.data(), HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t(length));
    return HI_VOICE_OK;
}

std::int32_t HI_VOICE_DecodeFrame(HiVoiceContext* context, std::uint8_t* frame, std::int16_t* pcm,
                                  std::int16_t* sampleCount) {
    if (context == nullptr) {
        return HI_VOICE_ERR_NULL_CONTEXT;
    }
    if (frame == nullptr) {
        return HI_VOICE_ERR_NULL_INPUT;
    }
    if (pcm == nullptr || sampleCount == nullptr) {
        return HI_VOICE_ERR_NULL_OUTPUT;
    }
    // Callers that ignore the status rely on the count reading 0 after any failure.
    *sampleCount = 0;
    if (!hasFrameMark(frame)) {
        return HI_VOICE_ERR_DEC_MARK;
    }
    const int length = frame[2];
    if (length == 0) {
        return HI_VOICE_ERR_DEC_LENGTH;
    }
    const CodecEntry* codec = findCodec(context->codecType);
    if (codec == nullptr) {
        return HI_VOICE_ERR_DEC_TYPE;
    }
    if (!codec->decodeLengths.accepts(length)) {
        return HI_VOICE_ERR_DEC_LENGTH;
    }
    const int samples = codec->layout.samplesIn(length);
    codec->functions.decode(*context, *codec,
                            std::span(frame + HI_VOICE_FRAME_HEADER_BYTES, 2 * std::size_t(length)),
                            std::span(pcm, static_cast<std::size_t>(samples)));
    *sampleCount = static_cast<std::int16_t>(samples);
    return HI_VOICE_OK;
}

}  // extern "C"
