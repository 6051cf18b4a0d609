#pragma once

#include <array>
#include <cstdint>

namespace kinorex::voice {

// The rate-specific tables of G.726 in integer form, signed rather than 12-bit two's
// complement, for code words of kBits bits. dqln, wi and fi are indexed by the code word's
// magnitude |I|. The rate is a template argument, so that each rate's coder is compiled with
// its tables as constants. Type 68 shares the 16 kbit/s tables.
template <int kBits>
struct G726Rate;

template <>
struct G726Rate<2> {
    static constexpr std::array<std::int16_t, 1> quan = {261};       // QUAN: decision levels
    static constexpr std::array<std::int16_t, 2> dqln = {116, 365};  // RECONST
    static constexpr std::array<std::int16_t, 2> wi = {-22, 439};    // FUNCTW
    static constexpr std::array<std::int16_t, 2> fi = {0, 7};        // FUNCTF
};

template <>
struct G726Rate<3> {
    static constexpr std::array<std::int16_t, 3> quan = {8, 218, 331};
    static constexpr std::array<std::int16_t, 4> dqln = {-2048, 135, 273, 373};
    static constexpr std::array<std::int16_t, 4> wi = {-4, 30, 137, 582};
    static constexpr std::array<std::int16_t, 4> fi = {0, 1, 2, 7};
};

template <>
struct G726Rate<4> {
    static constexpr std::array<std::int16_t, 7> quan = {-124, 80, 178, 246, 300, 349, 400};
    static constexpr std::array<std::int16_t, 8> dqln = {-2048, 4, 135, 213, 273, 323, 373, 425};
    static constexpr std::array<std::int16_t, 8> wi = {-12, 18, 41, 64, 112, 198, 355, 1122};
    static constexpr std::array<std::int16_t, 8> fi = {0, 0, 0, 1, 1, 1, 3, 7};
};

template <>
struct G726Rate<5> {
    static constexpr std::array<std::int16_t, 15> quan = {-122, -16, 68,  139, 198, 250, 298, 339,
                                                          378,  413, 445, 475, 502, 528, 553};
    static constexpr std::array<std::int16_t, 16> dqln = {-2048, -66, 28,  104, 169, 224, 274, 318,
                                                          358,   395, 429, 459, 488, 514, 539, 566};
    static constexpr std::array<std::int16_t, 16> wi = {14,  14,  24,  39,  40,  41,  58,  100,
                                                        141, 179, 219, 280, 358, 440, 529, 696};
    static constexpr std::array<std::int16_t, 16> fi = {0, 0, 0, 0, 0, 1, 1, 1,
                                                        1, 1, 2, 3, 4, 5, 6, 6};
};

}  // namespace kinorex::voice
