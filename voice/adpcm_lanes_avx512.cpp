// Thirty-two frames in the 16-bit lanes of an AVX-512 register. Every quantity of the decoder
// fits 16 bits: the step size is looked up in registers (permutes over the 89-entry table, held
// in three registers), and the difference (at most 61436) fits unsigned 16 bits. The prediction
// is kept offset by 32768, as an unsigned value, so that one saturating unsigned addition or
// subtraction both moves it and clamps it to the 16-bit range.

#include "adpcm_lanes.h"

#ifdef KINOREX_ADPCM_X86_64_LANES

// GCC 12's AVX-512 intrinsics start their results from a deliberately undefined register, which
// its own uninitialised-use warning then reports inside the header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif

#include <array>

#include "adpcm_tables.h"

// Every helper here runs only where the processor has AVX-512 F and BW, inside the kernel.
#define KINOREX_AVX512_INLINE gnu::target("avx512f,avx512bw"), gnu::always_inline

namespace kinorex::voice {
namespace {

constexpr std::size_t kLanes = kAdpcmAvx512Kernel.lanes;
constexpr std::size_t kBlock = kAdpcmAvx512Kernel.block;  // 16 code bytes per lane
constexpr std::size_t kRows = 8;                          // 8 x 8 words per 128-bit quarter

// The step sizes as 16-bit words, 32 to a register.
constexpr auto kStepWords = [] {
    std::array<std::int16_t, 96> words{};
    for (std::size_t i = 0; i < kAdpcmStepSizes.size(); ++i) {
        words[i] = static_cast<std::int16_t>(kAdpcmStepSizes[i]);
    }
    return words;
}();

// The index adjustment by the low five bits of a shifted code word; the bits above the code
// do not matter.
constexpr auto kAdjustWords = [] {
    std::array<std::int16_t, 32> words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::int16_t>(kAdpcmIndexAdjust[i % kAdpcmIndexAdjust.size()]);
    }
    return words;
}();

constexpr std::int16_t kOffset = INT16_MIN;  // signed sample ^ kOffset = sample + 32768

[[KINOREX_AVX512_INLINE]] inline __m512i loadWords(const std::int16_t* words) {
    return _mm512_loadu_si512(words);
}

// Transposes the 8 x 8 words in each 128-bit quarter: afterwards word w of quarter q of row r
// is what word r of quarter q of row w was. Applied to rows whose quarter q holds lane 8q + r's
// eight words, it leaves row w holding word w of every lane in lane order, and back.
[[KINOREX_AVX512_INLINE]] inline void transposeQuarters(__m512i (&rows)[kRows]) {
    __m512i pairs[kRows];
#pragma GCC unroll 8
    for (std::size_t p = 0; p < 4; ++p) {
        pairs[2 * p] = _mm512_unpacklo_epi16(rows[2 * p], rows[2 * p + 1]);
        pairs[2 * p + 1] = _mm512_unpackhi_epi16(rows[2 * p], rows[2 * p + 1]);
    }
    __m512i quads[kRows];
#pragma GCC unroll 8
    for (std::size_t h = 0; h < 2; ++h) {
#pragma GCC unroll 8
        for (std::size_t p = 0; p < 2; ++p) {
            quads[4 * h + 2 * p] = _mm512_unpacklo_epi32(pairs[4 * h + p], pairs[4 * h + p + 2]);
            quads[4 * h + 2 * p + 1] =
                _mm512_unpackhi_epi32(pairs[4 * h + p], pairs[4 * h + p + 2]);
        }
    }
#pragma GCC unroll 8
    for (std::size_t q = 0; q < 4; ++q) {
        rows[2 * q] = _mm512_unpacklo_epi64(quads[q], quads[q + 4]);
        rows[2 * q + 1] = _mm512_unpackhi_epi64(quads[q], quads[q + 4]);
    }
}

// Lane l's next 16 code bytes, as eight words of four codes each: word w of every lane in
// row w.
[[KINOREX_AVX512_INLINE]] inline void loadCodes(
    const std::array<const std::uint8_t*, kLanes>& codes, std::size_t offset,
    __m512i (&rows)[kRows]) {
    const auto load = [&codes, offset](std::size_t lane) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes[lane] + offset));
    };
#pragma GCC unroll 8
    for (std::size_t r = 0; r < kRows; ++r) {
        __m512i row = _mm512_castsi128_si512(load(r));
        row = _mm512_inserti32x4(row, load(r + 8), 1);
        row = _mm512_inserti32x4(row, load(r + 16), 2);
        rows[r] = _mm512_inserti32x4(row, load(r + 24), 3);
    }
    transposeQuarters(rows);
}

// Writes row s (sample s of every lane) to pcm[l][offset + s] for s = 0..7, as signed samples.
[[KINOREX_AVX512_INLINE]] inline void storeSamples(__m512i (&rows)[kRows],
                                                   const std::array<std::int16_t*, kLanes>& pcm,
                                                   std::size_t offset) {
    transposeQuarters(rows);
#pragma GCC unroll 8
    for (std::size_t r = 0; r < kRows; ++r) {
        const __m512i row = _mm512_xor_si512(rows[r], _mm512_set1_epi16(kOffset));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[r] + offset), _mm512_castsi512_si128(row));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[r + 8] + offset),
                         _mm512_extracti32x4_epi32(row, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[r + 16] + offset),
                         _mm512_extracti32x4_epi32(row, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm[r + 24] + offset),
                         _mm512_extracti32x4_epi32(row, 3));
    }
}

// The lanes whose code has `bits` set.
[[KINOREX_AVX512_INLINE]] inline __mmask32 lanesWith(__m512i code, std::int16_t bits) {
    return _mm512_test_epi16_mask(code, _mm512_set1_epi16(bits));
}

struct Registers {
    __m512i offsetPredicted;
    __m512i stepIndex;
};

// Decodes the code at the bottom of each lane of `code` (bits above it are ignored). The step
// of an index below 64 comes from the first two table registers, of 64..88 from the third.
[[KINOREX_AVX512_INLINE]] inline void decodeCode(Registers& r, __m512i code) {
    const __m512i step = _mm512_mask_permutexvar_epi16(
        _mm512_permutex2var_epi16(loadWords(kStepWords.data()), r.stepIndex,
                                  loadWords(kStepWords.data() + 32)),
        lanesWith(r.stepIndex, 64), r.stepIndex, loadWords(kStepWords.data() + 64));
    r.stepIndex = _mm512_add_epi16(r.stepIndex,
                                   _mm512_permutexvar_epi16(code, loadWords(kAdjustWords.data())));
    r.stepIndex = _mm512_min_epi16(_mm512_max_epi16(r.stepIndex, _mm512_setzero_si512()),
                                   _mm512_set1_epi16(kAdpcmMaxStepIndex));
    __m512i magnitude = _mm512_srli_epi16(step, 3);
    magnitude = _mm512_mask_add_epi16(magnitude, lanesWith(code, 4), magnitude, step);
    magnitude =
        _mm512_mask_add_epi16(magnitude, lanesWith(code, 2), magnitude, _mm512_srli_epi16(step, 1));
    magnitude =
        _mm512_mask_add_epi16(magnitude, lanesWith(code, 1), magnitude, _mm512_srli_epi16(step, 2));
    r.offsetPredicted = _mm512_mask_subs_epu16(_mm512_adds_epu16(r.offsetPredicted, magnitude),
                                               lanesWith(code, 8), r.offsetPredicted, magnitude);
}

}  // namespace

[[gnu::target("avx512f,avx512bw")]] void decodeAdpcmLanesAvx512(std::span<AdpcmLane> lanes,
                                                                std::size_t samples,
                                                                NibbleOrder order) {
    AdpcmLaneColumns<kLanes, std::int16_t> columns(lanes);
    const __m512i offset = _mm512_set1_epi16(kOffset);
    Registers registers{_mm512_xor_si512(loadWords(columns.predicted.data()), offset),
                        loadWords(columns.stepIndex.data())};
    // Within a word of two code bytes, the shifts that bring codes 0..3 to the bottom.
    const int earlierShift = order == NibbleOrder::kHighFirst ? 4 : 0;
    const int laterShift = 4 - earlierShift;
    const __m128i shifts[4] = {_mm_cvtsi32_si128(earlierShift), _mm_cvtsi32_si128(laterShift),
                               _mm_cvtsi32_si128(8 + earlierShift),
                               _mm_cvtsi32_si128(8 + laterShift)};

    for (std::size_t done = 0; done < samples; done += kBlock) {
        __m512i words[kRows];
        loadCodes(columns.codes, done / 2, words);
        // Eight samples at a time, from rows 2 * part (samples 0..3) and 2 * part + 1 (4..7);
        // unrolled, so that every row stays in a register.
#pragma GCC unroll 4
        for (std::size_t part = 0; part < kBlock / kRows; ++part) {
            __m512i decoded[kRows];
#pragma GCC unroll 8
            for (std::size_t s = 0; s < kRows; ++s) {
                decodeCode(registers, _mm512_srl_epi16(words[2 * part + s / 4], shifts[s % 4]));
                decoded[s] = registers.offsetPredicted;
            }
            storeSamples(decoded, columns.pcm, done + kRows * part);
        }
    }

    _mm512_storeu_si512(columns.predicted.data(),
                        _mm512_xor_si512(registers.offsetPredicted, offset));
    _mm512_storeu_si512(columns.stepIndex.data(), registers.stepIndex);
    columns.advance(lanes, samples);
}

}  // namespace kinorex::voice

#endif
