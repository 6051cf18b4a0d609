#include "g726_variant.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "g726_rates.h"

namespace kinorex::voice {

namespace {

// G.726's 16 kbit/s tables, indexed by the magnitude |I| of the code word.
using Tables = G726Rate<2>;
constexpr int kDecisionLevel = Tables::quan[0];  // DLN at or above it quantizes to |I| = 1

// The state's 16-bit fields and the 32-bit sums wrap in two's complement. The wide intermediates
// and these narrowing conversions (defined as modular since C++20) keep that exact without
// relying on signed overflow.
std::int16_t wrap16(std::int32_t v) {
    return static_cast<std::int16_t>(v);
}
std::int32_t wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(v);
}

// The coefficient updates take zero as positive (sigma) or as no sign at all (sgn).
int sigma(int v) {
    return v < 0 ? -1 : 1;
}
int sgn(int v) {
    return (v > 0) - (v < 0);
}

struct Prediction {
    std::int32_t sz;  // zero-section estimate, 1.0 = 8192
    std::int32_t s;   // signal estimate, 1.0 = 8192
    std::int32_t y;   // quantizer scale factor
};

// FMULT/ACCUM and the scale-factor mix (MIX), from the state at the start of the sample.
Prediction predict(const G726VariantState& st) {
    std::int64_t sz = 0;
    for (int i = 0; i < 6; ++i) {
        sz += st.b[i] * st.dq[5 - i];  // Bi x DQi, DQ1 is dq[5]
    }
    const std::int32_t sz32 = wrap32(sz);
    const std::int32_t s = wrap32(std::int64_t{sz32} + st.a1 * st.sr1 + st.a2 * st.sr2);
    const int al = st.ap < 256 ? st.ap >> 2 : 64;
    const std::int32_t v = wrap16(st.yu - (st.yl >> 6));
    const std::int32_t y = wrap32(std::int64_t{st.yl} + v * al) >> 6;
    return {sz32, s, y};
}

// Everything after the quantizer, identical in encoder and decoder. Returns the reconstructed
// sample R before any limiting.
std::int32_t update(G726VariantState& st, const Prediction& p, int magnitude, bool negative) {
    const auto index = static_cast<std::size_t>(magnitude);

    // RECONST and the inverse log (ANTILOG)
    const std::int32_t dql = (p.y >> 2) + Tables::dqln[index];
    std::int32_t dq = ((128 + (dql & 127)) << 7) >> (14 - (dql >> 7));
    if (negative) {
        dq = -dq;
    }

    // FILTA, FILTB
    st.dms = wrap16(st.dms + ((Tables::fi[index] * 512 - st.dms) >> 5));
    st.dml = wrap16(st.dml + ((Tables::fi[index] * 2048 - st.dml) >> 7));

    // FILTD, LIMB
    const std::int32_t yut = p.y + ((Tables::wi[index] * 32 - p.y) >> 5);
    st.yu = static_cast<std::int16_t>(std::clamp(yut, 544, 5120));

    // TRANS, against the slow scale factor of the start of the sample
    const bool transition = st.td == 1 && 7147 * dql > st.yl;

    // FILTE
    st.yl = wrap32(std::int64_t{st.yl} + st.yu - (st.yl >> 6));

    // ADDC
    const std::int16_t p0 = wrap16(dq + (p.sz >> 13));
    const int s0 = sgn(p0);
    const int sigmaP1 = sigma(st.p1);
    const int sigmaP2 = sigma(st.p2);
    st.p2 = st.p1;
    st.p1 = p0;

    // ADDB: the halved history is taken before the output limit
    const std::int32_t r = dq + (p.s >> 13);
    st.sr2 = st.sr1;
    st.sr1 = wrap16(r >> 1);

    // UPA2, LIMC
    const int a1l = std::clamp<int>(st.a1, -8192, 8192);
    const int h = 4096 * sigmaP2 - a1l * sigmaP1;
    const int a2 = std::clamp(st.a2 - (st.a2 >> 7) + ((h * s0) >> 5), -12288, 12288);

    // UPA1, LIMD
    const int a1Limit = 15360 - a2;
    const int a1 = std::clamp(st.a1 - (st.a1 >> 8) + 192 * s0 * sigmaP1, -a1Limit, a1Limit);

    // TONE, SUBTC
    const bool toneDetected = a2 < -11776;
    const bool fastAdaptation =
        std::abs(4 * st.dms - st.dml) >= (st.dml >> 3) || p.y < 1536 || toneDetected;

    // TRIGB, UPB
    if (transition) {
        st.a1 = 0;
        st.a2 = 0;
        std::fill(std::begin(st.b), std::end(st.b), std::int16_t{0});
        st.td = 0;
        st.ap = 256;
    } else {
        st.a1 = static_cast<std::int16_t>(a1);
        st.a2 = static_cast<std::int16_t>(a2);
        st.td = toneDetected ? 1 : 0;
        st.ap = wrap16(st.ap - (st.ap >> 4) + (fastAdaptation ? 32 : 0));
        const int sgnDq = sgn(dq);
        for (int i = 0; i < 6; ++i) {
            st.b[i] = wrap16(st.b[i] - (st.b[i] >> 8) + 64 * sgnDq * sigma(st.dq[5 - i]));
        }
    }

    // FLOATA delay line
    std::copy(std::begin(st.dq) + 1, std::end(st.dq), std::begin(st.dq));
    st.dq[5] = wrap16(dq);
    return r;
}

// LOG, SUBTB, QUAN. A difference of -32768 has magnitude 32768, one bit more than the log
// expects; it comes out with exponent 15, far above the decision level, so it codes as large.
int quantize(std::int16_t d, std::int32_t y) {
    const int m = std::abs(int{d});
    int dl = -128;
    if (m != 0) {
        const int e = std::bit_width(static_cast<unsigned>(m)) - 1;
        dl = 128 * e + (((m << 7) >> e) & 127);
    }
    return dl - (y >> 2) >= kDecisionLevel ? 1 : 0;
}

}  // namespace

int encodeG726VariantSample(G726VariantState& state, std::int16_t sample) {
    const Prediction p = predict(state);
    // SUBTA, in 32 bits and then 16, wrapping where the sample and the estimate are far apart
    const std::int16_t d = wrap16(wrap32(std::int64_t{sample} * 8192 - p.s) >> 13);
    const int magnitude = quantize(d, p.y);
    const bool negative = d < 0;
    update(state, p, magnitude, negative);
    return negative ? 3 - magnitude : magnitude;
}

std::int16_t decodeG726VariantSample(G726VariantState& state, int code) {
    const Prediction p = predict(state);
    const bool negative = code >= 2;
    const std::int32_t r = update(state, p, negative ? 3 - code : code, negative);
    return static_cast<std::int16_t>(std::clamp(r, -32768, 32767));
}

void encodeG726Variant(G726VariantState& state, std::span<const std::int16_t> pcm,
                       std::span<std::uint8_t> codeWords) {
    const std::size_t words = pcm.size() / 8;
    for (std::size_t j = 0; j < words; ++j) {
        unsigned word = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            word =
                (word << 2) | static_cast<unsigned>(encodeG726VariantSample(state, pcm[8 * j + k]));
        }
        codeWords[2 * j] = static_cast<std::uint8_t>(word);
        codeWords[2 * j + 1] = static_cast<std::uint8_t>(word >> 8);
    }
    for (const std::int16_t sample : pcm.subspan(8 * words)) {
        encodeG726VariantSample(state, sample);
    }
}

void decodeG726Variant(G726VariantState& state, std::span<const std::uint8_t> codeWords,
                       std::span<std::int16_t> pcm) {
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        const std::size_t j = i / 8;
        const unsigned word = codeWords[2 * j] | (unsigned{codeWords[2 * j + 1]} << 8);
        const int code = static_cast<int>((word >> (14 - 2 * (i % 8))) & 3);
        pcm[i] = decodeG726VariantSample(state, code);
    }
}

}  // namespace kinorex::voice
