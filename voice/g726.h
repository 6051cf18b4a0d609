#pragma once

// ITU-T G.726 ADPCM at 16, 24, 32 and 40 kbit/s on 16-bit linear PCM, with the
// code words packed LSB-first (as RFC 3551 packs G.726 for RTP) or MSB-first.
//
// Usage, one stream of 32 kbit/s frames:
//
//     G726State state;
//     g726Reset(state, 4);
//     std::array<std::uint8_t, 80> payload;              // 160 samples x 4 bits
//     g726EncodeBlock(state, samples160, payload);       // LSB-first
//     g726EncodeBlock(state, samples160, payload, G726BitOrder::kMsbFirst);
//
// Nothing here allocates, keeps global state or fails on valid arguments; the
// tables are constant, so different states may be used on different threads.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kinorex::voice {

// The coder's state, in the order a voice context stores it after its codec
// type word. Field names are the Recommendation's; DQ1..DQ6, SR1 and SR2 hold
// the 11-bit floating format (sign bit 10, exponent bits 9..6, mantissa 5..0).
struct G726State {
    std::int32_t sampleWidth;  // bytes per PCM sample, always 2
    std::int32_t bits;         // code word width w, 2..5
    std::int32_t a1;           // pole coefficients, 1.0 = 16384
    std::int32_t a2;
    std::int32_t ap;    // speed control
    std::int32_t b[6];  // zero coefficients B1..B6, 1.0 = 16384
    std::int32_t dml;   // long- and short-term averages of F(I)
    std::int32_t dms;
    std::int32_t dq[6];  // quantized differences, dq[0] = DQ1 the newest
    std::int32_t pk1;    // signs of DQ+SEZ one and two samples back
    std::int32_t pk2;
    std::int32_t sr1;  // reconstructed samples one and two back
    std::int32_t sr2;
    std::int32_t td;  // tone detected, 0 or 1
    std::int32_t yl;  // slow (locked) scale factor
    std::int32_t yu;  // fast (unlocked) scale factor, 544..5120

    bool operator==(const G726State&) const = default;
};
static_assert(sizeof(G726State) == 26 * sizeof(std::int32_t));

enum class G726Direction { kEncode, kDecode };

// LSB-first puts code word k's least significant bit at bit position k * bits, counting a
// byte's bits from bit 0 (RFC 3551); MSB-first puts its most significant bit there, counting
// from bit 7.
enum class G726BitOrder { kLsbFirst, kMsbFirst };

// One sample through the coder: the code word (low `bits` bits) and the
// reconstructed signal, 16-bit, a multiple of 4 in -32768..32764. Encoder and
// decoder produce the same reconstruction from the same code words.
struct G726Sample {
    std::int32_t code;
    std::int16_t sample;
};

// Starts a stream at `bits` = 2, 3, 4 or 5 bits per sample (16..40 kbit/s).
void g726Reset(G726State& state, int bits);

// Encodes the 16-bit sample `value`, or decodes the code word in the low
// `bits` bits of `value`; either way advances the state by one sample.
G726Sample g726CodeSample(G726State& state, G726Direction direction, std::int32_t value);

// Bytes that `samples` code words occupy at `bits` bits each, rounded up.
constexpr std::size_t g726PayloadBytes(std::size_t samples, int bits) {
    return (samples * static_cast<std::size_t>(bits) + 7) / 8;
}

// Encodes the samples in order, all but the last when their count is odd (so
// that a frame always carries whole sample pairs), into code words packed in
// `order`. `payload` must hold g726PayloadBytes(coded samples, bits) bytes;
// bits of the last byte that no code word covers are zero. Returns the bytes
// written.
std::size_t g726EncodeBlock(G726State& state, std::span<const std::int16_t> samples,
                            std::span<std::uint8_t> payload,
                            G726BitOrder order = G726BitOrder::kLsbFirst);

// Decodes the floor(8 * payload.size() / bits) whole LSB-first code words of
// `payload` into `samples`, which must hold that many. Returns that count.
std::size_t g726DecodeBlock(G726State& state, std::span<const std::uint8_t> payload,
                            std::span<std::int16_t> samples);

// Rewrite a payload of code words of `bits` bits in place from LSB-first into
// MSB-first order, or back. Return 0, or -1 and leave the payload untouched
// when its bit count is not a multiple of `bits`.
int g726RepackToMsbFirst(std::span<std::uint8_t> payload, int bits);
int g726RepackToLsbFirst(std::span<std::uint8_t> payload, int bits);

}  // namespace kinorex::voice
