// Eight frames in the eight 32-bit lanes of an AVX2 register. The signed difference of each
// lane's code is gathered from the transition table (its row picked by the lane's step index);
// the step index and the prediction are added and clamped in vector operations.

#include "adpcm_lanes.h"

#ifdef KINOREX_ADPCM_X86_64_LANES

#include <immintrin.h>

#include <array>
#include <cstring>

#include "adpcm_tables.h"

namespace kinorex::voice {
namespace {

constexpr std::size_t kLanes = kAdpcmAvx2Kernel.lanes;
constexpr std::size_t kBlock = kAdpcmAvx2Kernel.block;

// A transition row is 32 ints long: the differences of step index i start at int i << 5.
constexpr int kRowShift = 5;
static_assert(sizeof(AdpcmStepTransition) == (sizeof(std::int32_t) << kRowShift));

// Lane l's next four code bytes, read as one little-endian word: the codes of samples 0..7 of
// the block, two per byte. The words go into the register from scalar registers: a vector load
// of eight words just stored would wait until the stores reach the cache.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i loadCodeWords(
    const std::array<const std::uint8_t*, kLanes>& codes, std::size_t offset) {
    std::array<std::int32_t, kLanes> words{};
#pragma GCC unroll 8
    for (std::size_t l = 0; l < kLanes; ++l) {
        std::memcpy(&words[l], codes[l] + offset, sizeof words[l]);
    }
    return _mm256_setr_epi32(words[0], words[1], words[2], words[3], words[4], words[5], words[6],
                             words[7]);
}

// Writes sample s of the block in lane l to pcm[l][offset + s], as 16-bit samples: pairs of
// samples are packed into 32-bit words, which a 4 x 8 transpose brings together per lane.
[[gnu::target("avx2"), gnu::always_inline]] inline void storeBlock(
    const __m256i (&block)[kBlock], const std::array<std::int16_t*, kLanes>& pcm,
    std::size_t offset) {
    __m256i pairs[kBlock / 2];
#pragma GCC unroll 8
    for (std::size_t p = 0; p < kBlock / 2; ++p) {
        pairs[p] = _mm256_blend_epi16(block[2 * p], _mm256_slli_epi32(block[2 * p + 1], 16), 0xAA);
    }
    const __m256i lanes01 = _mm256_unpacklo_epi32(pairs[0], pairs[1]);  // lanes 0, 1 | 4, 5
    const __m256i lanes23 = _mm256_unpackhi_epi32(pairs[0], pairs[1]);
    const __m256i lanes01Late = _mm256_unpacklo_epi32(pairs[2], pairs[3]);
    const __m256i lanes23Late = _mm256_unpackhi_epi32(pairs[2], pairs[3]);
    const __m256i rows[] = {
        _mm256_unpacklo_epi64(lanes01, lanes01Late), _mm256_unpackhi_epi64(lanes01, lanes01Late),
        _mm256_unpacklo_epi64(lanes23, lanes23Late), _mm256_unpackhi_epi64(lanes23, lanes23Late)};
#pragma GCC unroll 8
    for (std::size_t l = 0; l < kLanes / 2; ++l) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[l] + offset),
                         _mm256_castsi256_si128(rows[l]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[l + 4] + offset),
                         _mm256_extracti128_si256(rows[l], 1));
    }
}

}  // namespace

[[gnu::target("avx2")]] void decodeAdpcmLanesAvx2(std::span<AdpcmLane> lanes, std::size_t samples,
                                                  NibbleOrder order) {
    AdpcmLaneColumns<kLanes, std::int32_t> columns(lanes);
    __m256i predicted =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns.predicted.data()));
    __m256i stepIndex =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns.stepIndex.data()));

    // The index adjustment repeats for the sign bit, so its first eight entries, picked by the
    // three magnitude bits, are all it takes.
    const __m256i adjust =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kAdpcmIndexAdjust.data()));
    const __m256i lowestSample = _mm256_set1_epi32(INT16_MIN);
    const __m256i highestSample = _mm256_set1_epi32(INT16_MAX);
    const __m256i highestIndex = _mm256_set1_epi32(kAdpcmMaxStepIndex);
    const __m256i codeMask = _mm256_set1_epi32(0x0F);
    const int* differences = kAdpcmTransitions.front().diff.data();
    const int earlierShift = order == NibbleOrder::kHighFirst ? 4 : 0;
    __m128i shifts[kBlock];
    for (int s = 0; s < int{kBlock}; ++s) {
        shifts[s] = _mm_cvtsi32_si128(8 * (s / 2) + (s % 2 == 0 ? earlierShift : 4 - earlierShift));
    }

    for (std::size_t offset = 0; offset < samples; offset += kBlock) {
        const __m256i words = loadCodeWords(columns.codes, offset / 2);
        __m256i block[kBlock];
        // Unrolled, so that the block stays in registers.
#pragma GCC unroll 8
        for (std::size_t s = 0; s < kBlock; ++s) {
            const __m256i code = _mm256_and_si256(_mm256_srl_epi32(words, shifts[s]), codeMask);
            const __m256i row = _mm256_slli_epi32(stepIndex, kRowShift);
            const __m256i difference =
                _mm256_i32gather_epi32(differences, _mm256_add_epi32(row, code), 4);
            stepIndex = _mm256_add_epi32(stepIndex, _mm256_permutevar8x32_epi32(adjust, code));
            stepIndex =
                _mm256_min_epi32(_mm256_max_epi32(stepIndex, _mm256_setzero_si256()), highestIndex);
            predicted = _mm256_add_epi32(predicted, difference);
            predicted = _mm256_min_epi32(_mm256_max_epi32(predicted, lowestSample), highestSample);
            block[s] = predicted;
        }
        storeBlock(block, columns.pcm, offset);
    }

    _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns.predicted.data()), predicted);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns.stepIndex.data()), stepIndex);
    columns.advance(lanes, samples);
}

}  // namespace kinorex::voice

#endif
