#include "g726.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdlib>

#include "cpu_features.h"
#include "g726_rates.h"

// The per-sample coder follows the block diagrams of G.726's computational
// details; each step names the blocks it implements. Sums are formed in 32
// bits and wrapped where the Recommendation holds them in 16-bit registers
// (ACCUM, ADDB, ADDC, UPB), so that no code word stream can overflow them.

namespace kinorex::voice {
namespace {

// QUAN as one look-up: the magnitude |I| for every DLN between the lowest and
// the highest decision level of any rate. DLN outside that span is clamped
// into it first, which changes no magnitude and keeps any state, even one a
// caller made up, inside the table.
constexpr std::int32_t kDlnLowest = -128;
constexpr std::int32_t kDlnHighest = 560;

template <int kBits>
constexpr auto kMagnitudeByDln = [] {
    std::array<std::uint8_t, kDlnHighest - kDlnLowest + 1> table{};
    for (std::int32_t dln = kDlnLowest; dln <= kDlnHighest; ++dln) {
        std::uint8_t magnitude = 0;
        for (std::int16_t level : G726Rate<kBits>::quan) {
            magnitude += dln >= level ? 1 : 0;
        }
        table[static_cast<std::size_t>(dln - kDlnLowest)] = magnitude;
    }
    return table;
}();

constexpr std::int32_t kFloatSign = 1 << 10;

// Overload signals at 40 kbit/s do drive the signal estimate past 16 bits,
// and the Recommendation's own sequences expect it to wrap there.
std::int32_t wrap16(std::int32_t value) {
    return static_cast<std::int16_t>(value);
}

// A magnitude as the exponent and 6-bit mantissa of the floating format; a
// zero has exponent 0 and mantissa 32.
struct Normalised {
    std::int32_t exponent;
    std::int32_t mantissa;
};

[[gnu::always_inline]] constexpr Normalised normalise(std::int32_t magnitude) {
    // The width of 2 * magnitude + 1, never 0, needs no special case for a zero magnitude.
    const auto exponent = static_cast<std::int32_t>(
        std::bit_width(static_cast<std::uint32_t>(magnitude << 1 | 1)) - 1);
    return {exponent, ((magnitude << 6) >> exponent) | (magnitude == 0 ? 32 : 0)};
}

// The eight FMULTs of a sample are independent, so they run side by side in
// eight 32-bit lanes: the six zeros (B1..B6 with DQ1..DQ6), then the two poles
// (A1 with SR1, A2 with SR2). GCC and Clang compile these types to vector
// instructions where the target has them and to plain scalar code elsewhere.
using Lanes = std::int32_t __attribute__((vector_size(32)));
using FloatLanes = float __attribute__((vector_size(32)));

constexpr std::size_t kLaneA1 = 6;
constexpr std::size_t kLaneA2 = 7;

// Single-precision floats normalise a coefficient for FMULT: a float holds every 13-bit
// magnitude exactly, so its exponent field (126 + the floating format's exponent, for a
// nonzero magnitude) and its leading fraction bits give the exponent and the mantissa.
constexpr int kFloatFractionBits = 23;
constexpr std::int32_t kFloatBiasedHalf = 126 << kFloatFractionBits;  // the bits of 0.5f

// FMULT shifts the rounded mantissa product, shifted left by 9, right by
// 28 - (coefficient exponent + history exponent): one right shift for the
// Recommendation's left shift (exponent sums above 26) and right shift alike.
// A history value keeps 28 + 126 - its exponent, from which the coefficient's
// float exponent field is taken.
constexpr std::int32_t kShiftBase = 28 + 126;

// A history value (DQn or SRn) in lanes, taken apart once when it enters the
// history: its mantissa, its exponent as the shift base above, and its sign
// as a mask (-1 negative).
struct HistoryLanes {
    Lanes mantissa;
    Lanes shift;
    Lanes negative;
};

constexpr std::int32_t shiftOf(std::int32_t exponent) {
    return kShiftBase - exponent;
}

constexpr std::int32_t exponentOfShift(std::int32_t shift) {
    return kShiftBase - shift;
}

// FMULT in every lane, without a branch: the coefficient (13 magnitude bits
// kept, so only -32768 loses one) is normalised by converting it to float,
// 0 taking exponent 0 and mantissa 32 as 0.5f does; the mantissa product is
// rounded as the Recommendation rounds it, then shifted by the exponent sum.
// (The products are written to `products` rather than returned: returning eight lanes by value
// would depend on whether the build enables AVX.)
[[gnu::always_inline]] inline void fmult(const Lanes& coefficients, const HistoryLanes& history,
                                         Lanes& products) {
    const Lanes cNegative = coefficients >> 31;
    const Lanes cMagnitude = (((coefficients >> 2) ^ cNegative) - cNegative) & 8191;
    const Lanes cBits = __builtin_bit_cast(Lanes, __builtin_convertvector(cMagnitude, FloatLanes)) |
                        ((cMagnitude == 0) & kFloatBiasedHalf);
    const Lanes cMantissa = ((cBits >> (kFloatFractionBits - 5)) & 31) | 32;
    const Lanes rounded = (cMantissa * history.mantissa + 48) >> 4;
    const Lanes shift = history.shift - (cBits >> kFloatFractionBits);
    const Lanes magnitude = ((rounded << 9) >> shift) & 32767;
    const Lanes negative = cNegative ^ history.negative;
    products = (magnitude ^ negative) - negative;
}

// The coder's state for the length of a block: the record's fields, with the
// predictor coefficients and the floating-format histories in lanes.
struct Registers {
    Lanes coefficients;    // B1..B6, A1, A2
    HistoryLanes history;  // DQ1..DQ6, SR1, SR2
    std::int32_t ap;
    std::int32_t dml;
    std::int32_t dms;
    std::int32_t pk1;
    std::int32_t pk2;
    std::int32_t td;
    std::int32_t yl;
    std::int32_t yu;

    explicit Registers(const G726State& state)
        : coefficients{state.b[0], state.b[1], state.b[2], state.b[3],
                       state.b[4], state.b[5], state.a1,   state.a2},
          ap(state.ap),
          dml(state.dml),
          dms(state.dms),
          pk1(state.pk1),
          pk2(state.pk2),
          td(state.td),
          yl(state.yl),
          yu(state.yu) {
        const std::array<std::int32_t, 8> values = {state.dq[0], state.dq[1], state.dq[2],
                                                    state.dq[3], state.dq[4], state.dq[5],
                                                    state.sr1,   state.sr2};
        for (std::size_t lane = 0; lane < values.size(); ++lane) {
            const std::int32_t value = values[lane];
            history.mantissa[lane] = value & 63;
            history.shift[lane] = shiftOf((value >> 6) & 15);
            history.negative[lane] = -((value >> 10) & 1);
        }
    }

    std::int32_t a1() const { return coefficients[kLaneA1]; }
    std::int32_t a2() const { return coefficients[kLaneA2]; }

    void storeInto(G726State& state) const {
        std::array<std::int32_t, 8> values{};
        for (std::size_t lane = 0; lane < values.size(); ++lane) {
            values[lane] = (history.negative[lane] & kFloatSign) +
                           (exponentOfShift(history.shift[lane]) << 6) + history.mantissa[lane];
        }
        std::copy_n(values.begin(), 6, std::begin(state.dq));
        state.sr1 = values[kLaneA1];
        state.sr2 = values[kLaneA2];
        for (std::size_t i = 0; i < 6; ++i) {
            state.b[i] = coefficients[i];
        }
        state.a1 = a1();
        state.a2 = a2();
        state.ap = ap;
        state.dml = dml;
        state.dms = dms;
        state.pk1 = pk1;
        state.pk2 = pk2;
        state.td = td;
        state.yl = yl;
        state.yu = yu;
    }
};

// A code word with its sign (a mask, -1 negative) and magnitude |I|.
struct CodeWord {
    std::int32_t code;
    std::int32_t negative;
    std::int32_t magnitude;
};

// The sign and magnitude of a received code word.
template <int kBits>
[[gnu::always_inline]] inline CodeWord partsOfCode(std::int32_t value) {
    constexpr std::int32_t kCodeMask = (1 << kBits) - 1;
    const std::int32_t code = value & kCodeMask;
    const std::int32_t negative = -((code >> (kBits - 1)) & 1);
    return {code, negative, (code ^ negative) & (kCodeMask >> 1)};
}

// SUBTA, LOG, SUBTB, QUAN: the code word for one 16-bit sample. Its sign and
// magnitude come as the quantizer finds them, not taken from the code word
// again, which would leave the reconstruction waiting longer.
template <int kBits>
[[gnu::always_inline]] inline CodeWord quantize(std::int16_t sample, std::int32_t se,
                                                std::int32_t y) {
    const std::int32_t d = (sample >> 2) - se;
    const std::int32_t dNegative = d >> 31;  // 0 or -1
    const std::int32_t dqm = (d ^ dNegative) - dNegative;
    const auto exponent =
        std::max(0, static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(dqm))) - 1);
    const std::int32_t dl = (exponent << 7) + (((dqm << 7) >> exponent) & 127);
    const std::int32_t dln = std::clamp(dl - (y >> 2), kDlnLowest, kDlnHighest);
    const std::int32_t magnitude =
        kMagnitudeByDln<kBits>[static_cast<std::size_t>(dln - kDlnLowest)];
    constexpr std::int32_t kAllOnes = (1 << kBits) - 1;
    // Below the first decision level the 24..40 kbit/s quantizers give the
    // all-ones code word, a negative zero, whatever the sign of D; the
    // 16 kbit/s quantizer has no zero level and keeps the sign.
    const std::int32_t negative = dNegative | (kBits > 2 && magnitude == 0 ? -1 : 0);
    // The code word is kAllOnes - magnitude when negative.
    return {magnitude ^ (negative & kAllOnes), negative, magnitude};
}

// Sign-dependent choices are made with masks (-1 or 0) rather than branches
// throughout: the signs of speech samples and differences are as good as
// random, and a mispredicted branch costs more than the whole choice.
constexpr std::int32_t maskOf(bool condition) {
    return -static_cast<std::int32_t>(condition);
}

// value when mask is 0, -value when it is -1.
constexpr std::int32_t negateIf(std::int32_t mask, std::int32_t value) {
    return (value ^ mask) - mask;
}

// One sample through the coder (encoding the sample, or decoding the code
// word in `value`), with the rate fixed at compile time.
template <int kBits, G726Direction kDirection>
[[gnu::always_inline]] inline G726Sample codeSample(Registers& s, std::int32_t value) {
    using Tables = G726Rate<kBits>;

    // LIMA, MIX: the scale factor, between the fast and the slow one. The
    // product is divided by 64 rounding toward zero.
    const std::int32_t al = s.ap > 256 ? 64 : s.ap >> 2;
    const std::int32_t ylInt = s.yl >> 6;
    const std::int32_t mix = (s.yu - ylInt) * al;
    const std::int32_t y = ylInt + ((mix + ((mix >> 31) & 63)) >> 6);

    // FMULT, ACCUM: the signal estimate. Both sums wrap to 16 bits, so the
    // poles' products may as well be added to the zeros' unwrapped sum.
    Lanes products;
    fmult(s.coefficients, s.history, products);
    const std::int32_t zeros =
        products[0] + products[1] + products[2] + products[3] + products[4] + products[5];
    const std::int32_t sezi = wrap16(zeros);
    const std::int32_t sei = wrap16(zeros + products[kLaneA1] + products[kLaneA2]);
    const std::int32_t sez = sezi >> 1;
    const std::int32_t se = sei >> 1;

    const auto [code, negative, magnitude] =
        kDirection == G726Direction::kEncode
            ? quantize<kBits>(static_cast<std::int16_t>(value), se, y)
            : partsOfCode<kBits>(value);
    const auto index = static_cast<std::size_t>(magnitude);

    // RECONST, ADDA, ANTILOG: the quantized difference, sign and magnitude; a
    // negative DQL gives 0.
    const std::int32_t dql = Tables::dqln[index] + (y >> 2);
    // The shift is masked because it is taken for a negative DQL too (whose
    // result the last mask clears), where it can come to -1.
    const std::int32_t dqShift = (14 - ((dql >> 7) & 15)) & 31;
    const std::int32_t dqMag = (((128 + (dql & 127)) << 7) >> dqShift) & ~(dql >> 31);
    const std::int32_t dq = negateIf(negative, dqMag);

    // TRANS: a large difference after a tone marks a transition.
    const std::int32_t ylExp = s.yl >> 15;
    const std::int32_t ylFrac = (s.yl >> 10) & 31;
    const std::int32_t thr = ylExp > 9 ? 31 << 10 : (32 + ylFrac) << ylExp;
    const std::int32_t dqThr = (thr + (thr >> 1)) >> 1;
    const bool tr = s.td == 1 && dqMag > dqThr;

    // ADDB wraps the reconstruction to 16 bits; ADDC gives the sign for the
    // pole updates.
    const std::int32_t sr = wrap16(se + dq);
    const std::int32_t dqsez = wrap16(sez + dq);
    const std::int32_t pk0 = dqsez >> 15;
    const std::int32_t changes = maskOf(dqsez != 0);  // SIGPK clear

    if (tr) [[unlikely]] {
        // TRIGB: a transition restarts the predictor.
        s.coefficients = Lanes{};
    } else {
        // UPB: the zeros follow the sign agreement of DQ with its history,
        // computed in the poles' lanes too and replaced there below.
        constexpr int kLeak = kBits == 5 ? 9 : 8;
        const std::int32_t step = maskOf(dqMag != 0) & 128;
        const Lanes differ = s.history.negative ^ negative;
        const Lanes b = s.coefficients;
        const Lanes updated = b + (((step ^ differ) - differ)) - (b >> kLeak);
        // UPA2, LIMC
        const std::int32_t a1 = s.a1();
        const std::int32_t a2 = s.a2();
        const std::int32_t fa1 = 4 * std::clamp(a1, -8191, 8191);
        const std::int32_t g = negateIf(maskOf(pk0 != s.pk2), 16384);
        const std::int32_t f = negateIf(maskOf(pk0 == s.pk1), fa1);
        const std::int32_t nextA2 =
            std::clamp(a2 + (changes & ((g + f) >> 7)) - (a2 >> 7), -12288, 12288);
        // UPA1, LIMD
        const std::int32_t a1Limit = 15360 - nextA2;
        const std::int32_t nextA1 = std::clamp(
            a1 + (changes & negateIf(maskOf(pk0 != s.pk1), 192)) - (a1 >> 8), -a1Limit, a1Limit);
        const Lanes poles = {0, 0, 0, 0, 0, 0, nextA1, nextA2};
        s.coefficients = __builtin_shufflevector((updated << 16) >> 16,  // wrapped to 16 bits
                                                 poles, 0, 1, 2, 3, 4, 5, 14, 15);
    }

    // FLOATA, FLOATB and the delays of the histories: DQ1 and SR1 enter in
    // lanes 0 and 6, the others move up a lane, and DQ6 and SR2 drop out.
    const std::int32_t srNegative = sr >> 31;
    const Normalised dqFloat = normalise(dqMag);
    const Normalised srFloat = normalise(negateIf(srNegative, sr) & 32767);
    const HistoryLanes entering = {
        Lanes{dqFloat.mantissa, 0, 0, 0, 0, 0, srFloat.mantissa, 0},
        Lanes{shiftOf(dqFloat.exponent), 0, 0, 0, 0, 0, shiftOf(srFloat.exponent), 0},
        Lanes{negative, 0, 0, 0, 0, 0, srNegative, 0}};
    s.history = {
        __builtin_shufflevector(s.history.mantissa, entering.mantissa, 8, 0, 1, 2, 3, 4, 14, 6),
        __builtin_shufflevector(s.history.shift, entering.shift, 8, 0, 1, 2, 3, 4, 14, 6),
        __builtin_shufflevector(s.history.negative, entering.negative, 8, 0, 1, 2, 3, 4, 14, 6)};
    s.pk2 = s.pk1;
    s.pk1 = pk0;

    // TONE: a strongly negative A2 marks a narrow-band signal.
    const bool tdp = s.a2() < -11776;
    s.td = tr ? 0 : tdp;

    // FUNCTF, FILTA, FILTB, SUBTC, FILTC, TRIGA: adaptation speed control.
    const std::int32_t fi = Tables::fi[index];
    s.dms += ((fi << 9) - s.dms) >> 5;
    s.dml += ((fi << 11) - s.dml) >> 7;
    const std::int32_t spread = 4 * s.dms - s.dml;
    const std::int32_t spreadMask = spread >> 31;
    const bool stationary =
        (y >= 1536) & (((spread ^ spreadMask) - spreadMask) < (s.dml >> 3)) & !tdp;
    const std::int32_t ax = stationary ? 0 : 1;
    s.ap = tr ? 256 : s.ap + (((ax << 9) - s.ap) >> 4);

    // FUNCTW, FILTD, LIMB, FILTE: scale factor adaptation. LIMB's bit tests
    // amount to this limit for every YUT that FILTD can produce.
    const std::int32_t wi = Tables::wi[index];
    const std::int32_t yut = y + (((wi << 5) - y) >> 5);
    s.yu = std::clamp(yut, 544, 5120);
    s.yl += ((s.yu << 6) - s.yl) >> 6;

    const auto reconstructed =
        static_cast<std::int16_t>(std::clamp<std::int32_t>(sr, -8192, 8191) * 4);
    return {code, reconstructed};
}

// Calls body.template operator()<kBits>() for the state's rate, so that the
// per-sample loops inside run with the rate as a constant.
template <typename Body>
decltype(auto) forRate(int bits, Body&& body) {
    switch (bits) {
        case 2:
            return body.template operator()<2>();
        case 3:
            return body.template operator()<3>();
        case 4:
            return body.template operator()<4>();
        default:
            assert(bits == 5);
            return body.template operator()<5>();
    }
}

}  // namespace

void g726Reset(G726State& state, int bits) {
    state = G726State{};
    state.sampleWidth = 2;
    state.bits = bits;
    std::fill(std::begin(state.dq), std::end(state.dq), 32);
    state.sr1 = 32;
    state.sr2 = 32;
    state.yl = 34816;
    state.yu = 544;
}

G726Sample g726CodeSample(G726State& state, G726Direction direction, std::int32_t value) {
    Registers registers(state);
    const G726Sample result = forRate(state.bits, [&]<int kBits>() {
        return direction == G726Direction::kEncode
                   ? codeSample<kBits, G726Direction::kEncode>(registers, value)
                   : codeSample<kBits, G726Direction::kDecode>(registers, value);
    });
    registers.storeInto(state);
    return result;
}

namespace {

// Code word k occupies bit positions k*bits .. k*bits + bits - 1 of the
// payload in both orders. LSB-first numbers a byte's bits from bit 0 and puts
// a code word's least significant bit first; MSB-first numbers them from bit
// 7 and puts its most significant bit first. Reads the next byte only when
// the code word crosses into it.
template <int kBits, G726BitOrder kOrder>
[[gnu::always_inline]] inline std::int32_t readCode(const std::uint8_t* payload, std::size_t k) {
    const std::size_t first = k * kBits;
    const std::size_t byte = first / 8;
    const int offset = static_cast<int>(first % 8);
    std::uint32_t window = payload[byte];
    const bool crosses = offset + kBits > 8;
    if (crosses) {
        window = kOrder == G726BitOrder::kLsbFirst ? window | (payload[byte + 1] << 8)
                                                   : (window << 8) | payload[byte + 1];
    }
    const int width = crosses ? 16 : 8;
    const int shift = kOrder == G726BitOrder::kLsbFirst ? offset : width - offset - kBits;
    return static_cast<std::int32_t>((window >> shift) & ((1u << kBits) - 1));
}

// Collects code words in one order and writes each byte as soon as it is
// complete, so that a repack never overwrites a byte still to be read.
template <int kBits, G726BitOrder kOrder>
class CodeWriter {
public:
    explicit CodeWriter(std::uint8_t* payload) : payload_(payload) {}

    [[gnu::always_inline]] void put(std::int32_t code) {
        const auto word = static_cast<std::uint32_t>(code);
        pending_ = kOrder == G726BitOrder::kLsbFirst ? pending_ | (word << pendingBits_)
                                                     : (pending_ << kBits) | word;
        pendingBits_ += kBits;
        if (pendingBits_ >= 8) {  // a code word of at most 5 bits completes one byte at most
            pendingBits_ -= 8;
            if (kOrder == G726BitOrder::kLsbFirst) {
                payload_[written_++] = static_cast<std::uint8_t>(pending_);
                pending_ >>= 8;
            } else {
                payload_[written_++] = static_cast<std::uint8_t>(pending_ >> pendingBits_);
                pending_ &= (1u << pendingBits_) - 1;
            }
        }
    }

    // Writes a partly filled last byte with its uncovered bits zero.
    std::size_t finish() {
        if (pendingBits_ > 0) {
            payload_[written_++] = static_cast<std::uint8_t>(
                kOrder == G726BitOrder::kLsbFirst ? pending_ : pending_ << (8 - pendingBits_));
            pending_ = 0;
            pendingBits_ = 0;
        }
        return written_;
    }

private:
    std::uint8_t* payload_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
    std::size_t written_ = 0;
};

std::size_t wholeCodes(std::size_t bytes, int bits) {
    return bytes * 8 / static_cast<std::size_t>(bits);
}

template <int kBits, G726BitOrder kFrom, G726BitOrder kTo>
void repack(std::span<std::uint8_t> payload) {
    CodeWriter<kBits, kTo> writer(payload.data());
    const std::size_t codes = wholeCodes(payload.size(), kBits);
    for (std::size_t k = 0; k < codes; ++k) {
        writer.put(readCode<kBits, kFrom>(payload.data(), k));
    }
    writer.finish();
}

template <G726BitOrder kFrom, G726BitOrder kTo>
int repack(std::span<std::uint8_t> payload, int bits) {
    if (payload.size() * 8 % static_cast<std::size_t>(bits) != 0) {
        return -1;
    }
    forRate(bits, [&]<int kBits>() { repack<kBits, kFrom, kTo>(payload); });
    return 0;
}

}  // namespace

namespace {

template <int kBits, G726BitOrder kOrder>
[[gnu::always_inline]] inline std::size_t encodeCodes(Registers& s,
                                                      std::span<const std::int16_t> samples,
                                                      std::uint8_t* payload) {
    // The registers are copied into a local whose address no byte store can reach, so that
    // they stay in the processor's registers across the writes to the payload.
    Registers local = s;
    CodeWriter<kBits, kOrder> writer(payload);
    for (const std::int16_t sample : samples) {
        writer.put(codeSample<kBits, G726Direction::kEncode>(local, sample).code);
    }
    s = local;
    return writer.finish();
}

template <int kBits>
[[gnu::always_inline]] inline void decodeCodes(Registers& s, const std::uint8_t* payload,
                                               std::span<std::int16_t> samples) {
    Registers local = s;  // as in encodeCodes
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t code = readCode<kBits, G726BitOrder::kLsbFirst>(payload, k);
        samples[k] = codeSample<kBits, G726Direction::kDecode>(local, code).sample;
    }
    s = local;
}

// The block loops for every rate and order, compiled for whatever instruction set the
// function they are inlined into is compiled for.
[[gnu::always_inline]] inline std::size_t encodeAnyRate(Registers& s, int bits, G726BitOrder order,
                                                        std::span<const std::int16_t> samples,
                                                        std::uint8_t* payload) {
    constexpr auto kLsb = G726BitOrder::kLsbFirst;
    constexpr auto kMsb = G726BitOrder::kMsbFirst;
    const bool lsb = order == kLsb;
    switch (bits) {
        case 2:
            return lsb ? encodeCodes<2, kLsb>(s, samples, payload)
                       : encodeCodes<2, kMsb>(s, samples, payload);
        case 3:
            return lsb ? encodeCodes<3, kLsb>(s, samples, payload)
                       : encodeCodes<3, kMsb>(s, samples, payload);
        case 4:
            return lsb ? encodeCodes<4, kLsb>(s, samples, payload)
                       : encodeCodes<4, kMsb>(s, samples, payload);
        default:
            assert(bits == 5);
            return lsb ? encodeCodes<5, kLsb>(s, samples, payload)
                       : encodeCodes<5, kMsb>(s, samples, payload);
    }
}

[[gnu::always_inline]] inline void decodeAnyRate(Registers& s, int bits,
                                                 const std::uint8_t* payload,
                                                 std::span<std::int16_t> samples) {
    switch (bits) {
        case 2:
            return decodeCodes<2>(s, payload, samples);
        case 3:
            return decodeCodes<3>(s, payload, samples);
        case 4:
            return decodeCodes<4>(s, payload, samples);
        default:
            assert(bits == 5);
            return decodeCodes<5>(s, payload, samples);
    }
}

// The lanes of the FMULTs are eight 32-bit values: one AVX2 register, shifted
// by a count per lane in one instruction; without AVX2 they take two SSE2
// registers, kept partly in memory, and shifts lane by lane. Where the processor
// has AVX2 the block loops run in a copy compiled for it, chosen at run time,
// so that the library still runs on any x86-64 processor.
#ifdef KINOREX_VOICE_X86

[[gnu::target("avx2")]] std::size_t encodeAvx2(Registers& s, int bits, G726BitOrder order,
                                               std::span<const std::int16_t> samples,
                                               std::uint8_t* payload) {
    return encodeAnyRate(s, bits, order, samples, payload);
}

[[gnu::target("avx2")]] void decodeAvx2(Registers& s, int bits, const std::uint8_t* payload,
                                        std::span<std::int16_t> samples) {
    decodeAnyRate(s, bits, payload, samples);
}

#endif

std::size_t encodeBlock(Registers& s, int bits, G726BitOrder order,
                        std::span<const std::int16_t> samples, std::uint8_t* payload) {
#ifdef KINOREX_VOICE_X86
    if (cpuHasAvx2()) {
        return encodeAvx2(s, bits, order, samples, payload);
    }
#endif
    return encodeAnyRate(s, bits, order, samples, payload);
}

void decodeBlock(Registers& s, int bits, const std::uint8_t* payload,
                 std::span<std::int16_t> samples) {
#ifdef KINOREX_VOICE_X86
    if (cpuHasAvx2()) {
        decodeAvx2(s, bits, payload, samples);
        return;
    }
#endif
    decodeAnyRate(s, bits, payload, samples);
}

}  // namespace

std::size_t g726EncodeBlock(G726State& state, std::span<const std::int16_t> samples,
                            std::span<std::uint8_t> payload, G726BitOrder order) {
    const std::size_t coded = samples.size() & ~std::size_t{1};
    assert(payload.size() >= g726PayloadBytes(coded, state.bits));
    Registers s(state);
    const std::size_t written =
        encodeBlock(s, state.bits, order, samples.first(coded), payload.data());
    s.storeInto(state);
    return written;
}

std::size_t g726DecodeBlock(G726State& state, std::span<const std::uint8_t> payload,
                            std::span<std::int16_t> samples) {
    const std::size_t codes = wholeCodes(payload.size(), state.bits);
    assert(samples.size() >= codes);
    Registers s(state);
    decodeBlock(s, state.bits, payload.data(), samples.first(codes));
    s.storeInto(state);
    return codes;
}

int g726RepackToMsbFirst(std::span<std::uint8_t> payload, int bits) {
    return repack<G726BitOrder::kLsbFirst, G726BitOrder::kMsbFirst>(payload, bits);
}

int g726RepackToLsbFirst(std::span<std::uint8_t> payload, int bits) {
    return repack<G726BitOrder::kMsbFirst, G726BitOrder::kLsbFirst>(payload, bits);
}

}  // namespace kinorex::voice
