#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Codec type 68: two-bit ADPCM with the structure and tables of G.726 at 16 kbit/s, computed in
// its own fixed-point arithmetic (plain 16 x 16-bit predictor products, full-scale input, 16-bit
// two's-complement state), so its reconstruction is not G.726's. Payload: eight code words per
// 16-bit word, the first in the top bits.
namespace kinorex::voice {

// Per-stream state. It follows the voice context's 16-bit codec type field, and together they
// form the record of twenty-four 16-bit fields and the 32-bit YL.
struct G726VariantState {
    std::int16_t sr1;  // previous reconstructed sample, halved
    std::int16_t sr2;  // the one before, halved
    std::int16_t a1;   // pole coefficients, 1.0 = 16384
    std::int16_t a2;
    std::int16_t b[6];   // zero coefficients B1..B6, 1.0 = 8192
    std::int16_t dq[6];  // quantized differences DQ6..DQ1: oldest first, dq[5] is the newest
    std::int16_t dms;    // short- and long-term averages of the rate-of-change value
    std::int16_t dml;
    std::int16_t ap;  // speed control
    std::int16_t yu;  // fast scale factor, 544..5120
    std::int16_t td;  // tone detected
    std::int16_t p1;  // DQ + SEZ one and two samples back
    std::int16_t p2;
    std::int32_t yl;  // slow scale factor

    friend bool operator==(const G726VariantState&, const G726VariantState&) = default;
};

void g726VariantReset(G726VariantState& state);

// One sample each way; code words are 0 (+small), 1 (+large), 2 (-large), 3 (-small).
int g726VariantEncodeSample(G726VariantState& state, std::int16_t sample);
std::int16_t g726VariantDecodeSample(G726VariantState& state, int code);

// Encodes every sample of pcm (1 to 481) into the state and writes a whole voice frame of
// pcm.size() / 8 payload words: the code words of the last pcm.size() % 8 samples advance the
// state but are not stored. frame must hold 4 + 2 * (pcm.size() / 8) bytes. Returns the frame's
// size in bytes.
std::size_t g726VariantEncodeFrame(G726VariantState& state, std::span<const std::int16_t> pcm,
                                   std::uint8_t* frame);

// Decodes the 8 * L code words of a frame whose length byte L the caller has checked; pcm must
// hold 8 * L samples. Returns the number of samples written.
std::size_t g726VariantDecodeFrame(G726VariantState& state, const std::uint8_t* frame,
                                   std::int16_t* pcm);

}  // namespace kinorex::voice
