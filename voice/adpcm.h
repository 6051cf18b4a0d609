#pragma once

#include <cstdint>
#include <span>

namespace kinorex::voice {

// IMA/DVI ADPCM: one 4-bit code per sample, bit 3 the sign, bits 2..0 the magnitude in
// quarter steps.
struct AdpcmState {
    std::int16_t predicted = 0;  // the last reconstructed sample
    std::int8_t stepIndex = 0;   // 0..88 into the step-size table
};

inline constexpr int kAdpcmMaxStepIndex = 88;

// Which nibble of a code byte holds the earlier of its two codes.
enum class NibbleOrder { kHighFirst, kLowFirst };

// Encodes every sample of pcm into the state and packs the codes two per byte into codeBytes
// (at least pcm.size() / 2 bytes); the code of an odd last sample is not stored.
void encodeAdpcm(AdpcmState& state, std::span<const std::int16_t> pcm,
                 std::span<std::uint8_t> codeBytes, NibbleOrder order);

// Decodes pcm.size() codes, two per byte, from codeBytes (at least (pcm.size() + 1) / 2 bytes).
void decodeAdpcm(AdpcmState& state, std::span<const std::uint8_t> codeBytes,
                 std::span<std::int16_t> pcm, NibbleOrder order);

}  // namespace kinorex::voice
