#include "g726.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdlib>

// The per-sample coder follows the block diagrams of G.726's computational
// details; each step names the blocks it implements. Sums are formed in 32
// bits and wrapped where the Recommendation holds them in 16-bit registers
// (ACCUM, ADDB, ADDC, UPB), so that no code word stream can overflow them.

namespace kinorex::voice {
namespace {

// The rate-specific tables of the Recommendation in integer form, signed
// rather than 12-bit two's complement. dqln, wi and fi are indexed by the
// code word's magnitude |I|.
struct RateTables {
    std::span<const std::int16_t> quan;  // QUAN: decision levels on DLN, ascending
    std::span<const std::int16_t> dqln;  // RECONST: log reconstruction levels
    std::span<const std::int16_t> wi;    // FUNCTW: scale factor multipliers
    std::span<const std::int16_t> fi;    // FUNCTF: rate-of-change values
};

constexpr std::array<std::int16_t, 1> kQuan16 = {261};
constexpr std::array<std::int16_t, 2> kDqln16 = {116, 365};
constexpr std::array<std::int16_t, 2> kWi16 = {-22, 439};
constexpr std::array<std::int16_t, 2> kFi16 = {0, 7};

constexpr std::array<std::int16_t, 3> kQuan24 = {8, 218, 331};
constexpr std::array<std::int16_t, 4> kDqln24 = {-2048, 135, 273, 373};
constexpr std::array<std::int16_t, 4> kWi24 = {-4, 30, 137, 582};
constexpr std::array<std::int16_t, 4> kFi24 = {0, 1, 2, 7};

constexpr std::array<std::int16_t, 7> kQuan32 = {-124, 80, 178, 246, 300, 349, 400};
constexpr std::array<std::int16_t, 8> kDqln32 = {-2048, 4, 135, 213, 273, 323, 373, 425};
constexpr std::array<std::int16_t, 8> kWi32 = {-12, 18, 41, 64, 112, 198, 355, 1122};
constexpr std::array<std::int16_t, 8> kFi32 = {0, 0, 0, 1, 1, 1, 3, 7};

constexpr std::array<std::int16_t, 15> kQuan40 = {-122, -16, 68,  139, 198, 250, 298, 339,
                                                  378,  413, 445, 475, 502, 528, 553};
constexpr std::array<std::int16_t, 16> kDqln40 = {-2048, -66, 28,  104, 169, 224, 274, 318,
                                                  358,   395, 429, 459, 488, 514, 539, 566};
constexpr std::array<std::int16_t, 16> kWi40 = {14,  14,  24,  39,  40,  41,  58,  100,
                                                141, 179, 219, 280, 358, 440, 529, 696};
constexpr std::array<std::int16_t, 16> kFi40 = {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 6};

constexpr std::array<RateTables, 4> kRates = {{
    {kQuan16, kDqln16, kWi16, kFi16},
    {kQuan24, kDqln24, kWi24, kFi24},
    {kQuan32, kDqln32, kWi32, kFi32},
    {kQuan40, kDqln40, kWi40, kFi40},
}};

constexpr int kMinBits = 2;
constexpr int kMaxBits = 5;
constexpr std::int32_t kFloatSign = 1 << 10;

const RateTables& tablesFor(int bits) {
    assert(bits >= kMinBits && bits <= kMaxBits);
    return kRates[static_cast<std::size_t>(bits - kMinBits)];
}

// Overload signals at 40 kbit/s do drive the signal estimate past 16 bits,
// and the Recommendation's own sequences expect it to wrap there.
std::int32_t wrap16(std::int32_t value) {
    return static_cast<std::int16_t>(value);
}

// FLOATA, FLOATB: sign, magnitude (0..32767) to the 11-bit floating format.
// A zero keeps its sign: a negative zero difference is stored as 1056.
std::int32_t toFloat(bool negative, std::int32_t magnitude) {
    const auto exponent =
        static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(magnitude)));
    const std::int32_t mantissa = magnitude == 0 ? 32 : (magnitude << 6) >> exponent;
    return (negative ? kFloatSign : 0) + (exponent << 6) + mantissa;
}

// FMULT: a predictor coefficient times a floating-format history value.
std::int32_t fmult(std::int32_t an, std::int32_t srn) {
    // The Recommendation keeps 13 magnitude bits: only -32768 loses one.
    const std::int32_t anMag = an < 0 ? -(an >> 2) & 8191 : an >> 2;
    const auto anExp = static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(anMag)));
    const std::int32_t anMant = anMag == 0 ? 32 : (anMag << 6) >> anExp;
    const std::int32_t exponent = anExp + ((srn >> 6) & 15);
    const std::int32_t mantissa = (anMant * (srn & 63) + 48) >> 4;
    const std::int32_t magnitude =
        exponent <= 26 ? (mantissa << 7) >> (26 - exponent) : (mantissa << (exponent - 19)) & 32767;
    return (an < 0) != ((srn & kFloatSign) != 0) ? -magnitude : magnitude;
}

// SUBTA, LOG, SUBTB, QUAN: the code word for one 16-bit sample.
std::int32_t quantize(const RateTables& tables, int bits, std::int16_t sample, std::int32_t se,
                      std::int32_t y) {
    const std::int32_t d = (sample >> 2) - se;
    const std::int32_t dqm = std::abs(d);
    const auto exponent =
        std::max(0, static_cast<int>(std::bit_width(static_cast<std::uint32_t>(dqm))) - 1);
    const std::int32_t dl = (exponent << 7) + (((dqm << 7) >> exponent) & 127);
    const std::int32_t dln = dl - (y >> 2);
    const auto magnitude = static_cast<std::int32_t>(
        std::upper_bound(tables.quan.begin(), tables.quan.end(), dln) - tables.quan.begin());
    const std::int32_t allOnes = (1 << bits) - 1;
    // Below the first decision level the 24..40 kbit/s quantizers give the
    // all-ones code word, a negative zero, whatever the sign of D; the
    // 16 kbit/s quantizer has no zero level and keeps the sign.
    if (magnitude == 0 && bits > kMinBits) {
        return allOnes;
    }
    return d < 0 ? allOnes - magnitude : magnitude;
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
    G726State& s = state;
    const int bits = s.bits;
    const RateTables& tables = tablesFor(bits);

    // LIMA, MIX: the scale factor, between the fast and the slow one.
    const std::int32_t al = s.ap > 256 ? 64 : s.ap >> 2;
    const std::int32_t ylInt = s.yl >> 6;
    const std::int32_t dif = s.yu - ylInt;
    const std::int32_t y = ylInt + (dif >= 0 ? (dif * al) >> 6 : (dif * al + 63) >> 6);

    // FMULT, ACCUM: the signal estimate.
    std::int32_t zeros = 0;
    for (int i = 0; i < 6; ++i) {
        zeros += fmult(s.b[i], s.dq[i]);
    }
    const std::int32_t sezi = wrap16(zeros);
    const std::int32_t sei = wrap16(sezi + fmult(s.a1, s.sr1) + fmult(s.a2, s.sr2));
    const std::int32_t sez = sezi >> 1;
    const std::int32_t se = sei >> 1;

    const std::int32_t code = direction == G726Direction::kEncode
                                  ? quantize(tables, bits, static_cast<std::int16_t>(value), se, y)
                                  : value & ((1 << bits) - 1);
    const bool negative = (code >> (bits - 1)) != 0;
    const std::int32_t magnitude = (negative ? ~code : code) & ((1 << (bits - 1)) - 1);

    // RECONST, ADDA, ANTILOG: the quantized difference, sign and magnitude.
    const std::int32_t dql = tables.dqln[static_cast<std::size_t>(magnitude)] + (y >> 2);
    const std::int32_t dqMag = dql < 0 ? 0 : ((128 + (dql & 127)) << 7) >> (14 - ((dql >> 7) & 15));
    const std::int32_t dq = negative ? -dqMag : dqMag;

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
    const bool sigpk = dqsez == 0;

    if (tr) {
        // TRIGB: a transition restarts the predictor.
        s.a1 = 0;
        s.a2 = 0;
        std::fill(std::begin(s.b), std::end(s.b), 0);
    } else {
        // UPB: the zeros follow the sign agreement of DQ with its history.
        const int leak = bits == kMaxBits ? 9 : 8;
        for (int i = 0; i < 6; ++i) {
            const bool historyNegative = (s.dq[i] & kFloatSign) != 0;
            const std::int32_t gain = dqMag == 0 ? 0 : negative == historyNegative ? 128 : -128;
            s.b[i] = wrap16(s.b[i] + gain - (s.b[i] >> leak));
        }
        // UPA2, LIMC
        const std::int32_t fa1 = 4 * std::clamp(s.a1, -8191, 8191);
        const std::int32_t g = pk0 == s.pk2 ? 16384 : -16384;
        const std::int32_t f = pk0 == s.pk1 ? -fa1 : fa1;
        const std::int32_t a2 = s.a2 + (sigpk ? 0 : (g + f) >> 7) - (s.a2 >> 7);
        s.a2 = std::clamp(a2, -12288, 12288);
        // UPA1, LIMD
        const std::int32_t a1 = s.a1 + (sigpk ? 0 : pk0 == s.pk1 ? 192 : -192) - (s.a1 >> 8);
        const std::int32_t a1Limit = 15360 - s.a2;
        s.a1 = std::clamp(a1, -a1Limit, a1Limit);
    }

    // FLOATA, FLOATB and the delays of the histories.
    std::copy_backward(std::begin(s.dq), std::end(s.dq) - 1, std::end(s.dq));
    s.dq[0] = toFloat(negative, dqMag);
    s.sr2 = s.sr1;
    s.sr1 = sr < 0 ? toFloat(true, -static_cast<std::int32_t>(sr) & 32767) : toFloat(false, sr);
    s.pk2 = s.pk1;
    s.pk1 = pk0;

    // TONE: a strongly negative A2 marks a narrow-band signal.
    const bool tdp = s.a2 < -11776;
    s.td = tr ? 0 : tdp;

    // FUNCTF, FILTA, FILTB, SUBTC, FILTC, TRIGA: adaptation speed control.
    const std::int32_t fi = tables.fi[static_cast<std::size_t>(magnitude)];
    s.dms += ((fi << 9) - s.dms) >> 5;
    s.dml += ((fi << 11) - s.dml) >> 7;
    const bool stationary = y >= 1536 && std::abs(4 * s.dms - s.dml) < (s.dml >> 3) && !tdp;
    const std::int32_t ax = stationary ? 0 : 1;
    s.ap = tr ? 256 : s.ap + (((ax << 9) - s.ap) >> 4);

    // FUNCTW, FILTD, LIMB, FILTE: scale factor adaptation. LIMB's bit tests
    // amount to this limit for every YUT that FILTD can produce.
    const std::int32_t wi = tables.wi[static_cast<std::size_t>(magnitude)];
    const std::int32_t yut = y + (((wi << 5) - y) >> 5);
    s.yu = std::clamp(yut, 544, 5120);
    s.yl += ((s.yu << 6) - s.yl) >> 6;

    const auto reconstructed =
        static_cast<std::int16_t>(std::clamp<std::int32_t>(sr, -8192, 8191) * 4);
    return {code, reconstructed};
}

namespace {

enum class BitOrder { kLsbFirst, kMsbFirst };

// Code word k occupies bit positions k*bits .. k*bits + bits - 1 of the
// payload in both orders. LSB-first numbers a byte's bits from bit 0 and puts
// a code word's least significant bit first; MSB-first numbers them from bit
// 7 and puts its most significant bit first. Reads the next byte only when
// the code word crosses into it.
std::int32_t readCode(std::span<const std::uint8_t> payload, std::size_t k, int bits,
                      BitOrder order) {
    const std::size_t first = k * static_cast<std::size_t>(bits);
    const std::size_t byte = first / 8;
    const int offset = static_cast<int>(first % 8);
    std::uint32_t window = payload[byte];
    if (offset + bits > 8) {
        window = order == BitOrder::kLsbFirst ? window | (payload[byte + 1] << 8)
                                              : (window << 8) | payload[byte + 1];
    }
    const int width = offset + bits > 8 ? 16 : 8;
    const int shift = order == BitOrder::kLsbFirst ? offset : width - offset - bits;
    return static_cast<std::int32_t>((window >> shift) & ((1u << bits) - 1));
}

// Collects code words in one order and writes each byte as soon as it is
// complete, so that a repack never overwrites a byte still to be read.
class CodeWriter {
public:
    CodeWriter(std::span<std::uint8_t> payload, int bits, BitOrder order)
        : payload_(payload), bits_(bits), order_(order) {}

    void put(std::int32_t code) {
        const auto word = static_cast<std::uint32_t>(code);
        pending_ = order_ == BitOrder::kLsbFirst ? pending_ | (word << pendingBits_)
                                                 : (pending_ << bits_) | word;
        pendingBits_ += bits_;
        while (pendingBits_ >= 8) {
            pendingBits_ -= 8;
            if (order_ == BitOrder::kLsbFirst) {
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
                order_ == BitOrder::kLsbFirst ? pending_ : pending_ << (8 - pendingBits_));
            pending_ = 0;
            pendingBits_ = 0;
        }
        return written_;
    }

private:
    std::span<std::uint8_t> payload_;
    int bits_;
    BitOrder order_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
    std::size_t written_ = 0;
};

std::size_t wholeCodes(std::size_t bytes, int bits) {
    return bytes * 8 / static_cast<std::size_t>(bits);
}

int repack(std::span<std::uint8_t> payload, int bits, BitOrder from, BitOrder to) {
    if (payload.size() * 8 % static_cast<std::size_t>(bits) != 0) {
        return -1;
    }
    CodeWriter writer(payload, bits, to);
    const std::size_t codes = wholeCodes(payload.size(), bits);
    for (std::size_t k = 0; k < codes; ++k) {
        writer.put(readCode(payload, k, bits, from));
    }
    writer.finish();
    return 0;
}

}  // namespace

std::size_t g726EncodeBlock(G726State& state, std::span<const std::int16_t> samples,
                            std::span<std::uint8_t> payload) {
    const std::size_t coded = samples.size() & ~std::size_t{1};
    assert(payload.size() >= g726PayloadBytes(coded, state.bits));
    CodeWriter writer(payload, state.bits, BitOrder::kLsbFirst);
    for (std::size_t i = 0; i < coded; ++i) {
        writer.put(g726CodeSample(state, G726Direction::kEncode, samples[i]).code);
    }
    return writer.finish();
}

std::size_t g726DecodeBlock(G726State& state, std::span<const std::uint8_t> payload,
                            std::span<std::int16_t> samples) {
    const std::size_t codes = wholeCodes(payload.size(), state.bits);
    assert(samples.size() >= codes);
    for (std::size_t k = 0; k < codes; ++k) {
        const std::int32_t code = readCode(payload, k, state.bits, BitOrder::kLsbFirst);
        samples[k] = g726CodeSample(state, G726Direction::kDecode, code).sample;
    }
    return codes;
}

int g726RepackToMsbFirst(std::span<std::uint8_t> payload, int bits) {
    return repack(payload, bits, BitOrder::kLsbFirst, BitOrder::kMsbFirst);
}

int g726RepackToLsbFirst(std::span<std::uint8_t> payload, int bits) {
    return repack(payload, bits, BitOrder::kMsbFirst, BitOrder::kLsbFirst);
}

}  // namespace kinorex::voice
