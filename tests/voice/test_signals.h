#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace kinorex::voice {

// A deterministic stand-in for speech at 8000 samples per second: voiced syllables (harmonics of
// a gliding pitch under a raised-cosine envelope), noisy fricatives and short pauses, with peaks
// of about peak.
inline std::vector<std::int16_t> speechLikeSignal(std::size_t samples, double peak = 12000.0) {
    std::vector<std::int16_t> pcm(samples);
    std::uint32_t noise = 12345;
    double phase = 0.0;
    constexpr std::size_t kSyllable = 1600;  // 200 ms
    for (std::size_t i = 0; i < samples; ++i) {
        const std::size_t syllable = i / kSyllable;
        const double t = static_cast<double>(i % kSyllable) / kSyllable;
        const double envelope = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * t);
        double value = 0.0;
        switch (syllable % 4) {
            case 0:
            case 2: {  // voiced
                const double pitch = 110.0 + 60.0 * t + 25.0 * static_cast<double>(syllable % 3);
                phase += 2.0 * std::numbers::pi * pitch / 8000.0;
                for (int h = 1; h <= 6; ++h)
                    value += std::sin(h * phase) / h;
                value *= 0.6 * envelope;
                break;
            }
            case 1: {  // fricative
                noise = noise * 1664525u + 1013904223u;
                value = 0.4 * envelope * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
                break;
            }
            default:  // pause
                break;
        }
        pcm[i] = static_cast<std::int16_t>(std::lround(peak * value));
    }
    return pcm;
}

// Signal-to-noise ratio of test against reference, in decibels.
inline double snrDb(const std::vector<std::int16_t>& reference,
                    const std::vector<std::int16_t>& test) {
    double signal = 0.0;
    double noise = 0.0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const double r = reference[i];
        const double error = r - test[i];
        signal += r * r;
        noise += error * error;
    }
    return 10.0 * std::log10(signal / noise);
}

}  // namespace kinorex::voice
