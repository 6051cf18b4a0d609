#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Codec type 68: two-bit ADPCM with the structure and tables of G.726 at 16 kbit/s, computed in
// its own fixed-point arithmetic (plain 16 x 16-bit predictor products, full-scale input, 16-bit
// two's-complement state), so its reconstruction is not G.726's. Payload: eight code words per
// 16-bit word, the first in the top bits.
namespace kinorex::voice {

// Per-stream state; a value-initialised record is the reset state. It follows the voice
// context's 16-bit codec type field, and together they form the record of twenty-four 16-bit
// fields and the 32-bit YL.
struct G726VariantState {
    std::int16_t sr1 = 16;  // previous reconstructed sample, halved
    std::int16_t sr2 = 16;  // the one before, halved
    std::int16_t a1 = 0;    // pole coefficients, 1.0 = 16384
    std::int16_t a2 = 0;
    std::int16_t b[6] = {};                         // zero coefficients B1..B6, 1.0 = 8192
    std::int16_t dq[6] = {32, 32, 32, 32, 32, 32};  // DQ6..DQ1: oldest first, dq[5] the newest
    std::int16_t dms = 0;  // short- and long-term averages of the rate-of-change value
    std::int16_t dml = 0;
    std::int16_t ap = 0;    // speed control
    std::int16_t yu = 544;  // fast scale factor, 544..5120
    std::int16_t td = 0;    // tone detected
    std::int16_t p1 = 0;    // DQ + SEZ one and two samples back
    std::int16_t p2 = 0;
    std::int32_t yl = 34816;  // slow scale factor

    friend bool operator==(const G726VariantState&, const G726VariantState&) = default;
};

// One sample each way; code words are 0 (+small), 1 (+large), 2 (-large), 3 (-small).
int encodeG726VariantSample(G726VariantState& state, std::int16_t sample);
std::int16_t decodeG726VariantSample(G726VariantState& state, int code);

// Encodes every sample of pcm into the state and packs the code words eight to a little-endian
// word into codeWords (2 * (pcm.size() / 8) bytes); the code words of the last pcm.size() % 8
// samples advance the state but are not stored.
void encodeG726Variant(G726VariantState& state, std::span<const std::int16_t> pcm,
                       std::span<std::uint8_t> codeWords);

// Decodes pcm.size() code words, eight to a word, from codeWords.
void decodeG726Variant(G726VariantState& state, std::span<const std::uint8_t> codeWords,
                       std::span<std::int16_t> pcm);

}  // namespace kinorex::voice
