#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "media_files.h"

namespace kinorex::voice {

// The four committed speech fixtures back to back: about 16 seconds of real speech at 8 kHz.
inline std::vector<std::int16_t> allSpeech() {
    std::vector<std::int16_t> pcm;
    for (int i = 1; i <= 4; ++i) {
        const auto part = test::loadS16(test::fixturePath("speech_" + std::to_string(i) + ".s16"));
        pcm.insert(pcm.end(), part.begin(), part.end());
    }
    return pcm;
}

// pcm made louder by gain, clipped to 16 bits.
inline std::vector<std::int16_t> amplified(std::vector<std::int16_t> pcm, int gain) {
    for (std::int16_t& s : pcm) {
        s = static_cast<std::int16_t>(std::clamp(s * gain, -32768, 32767));
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

namespace kinorex::voice::testing {

// A two-pole resonance, enough to give a pulse train or noise the spectral shape of a vowel
// or a fricative.
class Resonator {
public:
    Resonator(double frequency, double bandwidth, double rate) {
        const double radius = std::exp(-std::numbers::pi * bandwidth / rate);
        a1_ = 2.0 * radius * std::cos(2.0 * std::numbers::pi * frequency / rate);
        a2_ = -radius * radius;
    }
    double operator()(double input) {
        const double output = input + a1_ * y1_ + a2_ * y2_;
        y2_ = y1_;
        y1_ = output;
        return output;
    }

private:
    double a1_;
    double a2_;
    double y1_ = 0.0;
    double y2_ = 0.0;
};

// Speech-like PCM at 8000 Hz: syllables of voiced sound (a 90..260 Hz pulse train with
// vibrato through two formants), fricative noise, pauses with faint noise, and now and then a
// shouted syllable clipped at full scale. The same seed gives the same signal.
inline std::vector<std::int16_t> speechLikeSignal(std::size_t count, std::uint32_t seed = 1) {
    constexpr double kRate = 8000.0;
    std::mt19937 random(seed);
    auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::normal_distribution<double> noise(0.0, 1.0);

    std::vector<std::int16_t> signal;
    signal.reserve(count + 4000);
    std::vector<double> syllable;
    while (signal.size() < count) {
        const int kind = between(0, 7);  // 0 fricative, 1 shout, else voiced
        const std::size_t length = static_cast<std::size_t>(between(640, 2400));
        Resonator formant1(between(300, 900), 90.0, kRate);
        Resonator formant2(between(900, 2500), 150.0, kRate);
        const double pitch = between(90, 260);
        double phase = 0.0;
        double glottis = 0.0;  // a low-pass pulse: voiced speech falls off towards the top
        syllable.assign(length, 0.0);
        for (std::size_t i = 0; i < length; ++i) {
            double source = noise(random);
            if (kind != 0) {
                const double vibrato =
                    1.0 + 0.04 * std::sin(2.0 * std::numbers::pi * 5.0 * i / kRate);
                phase += pitch * vibrato / kRate;
                glottis = 0.85 * glottis + (phase >= 1.0 ? 1.0 : 0.0);
                source = glottis;
                phase -= std::floor(phase);
            }
            syllable[i] = formant2(formant1(source)) + (kind == 0 ? 0.0 : 0.02 * noise(random));
        }
        const double largest = std::ranges::max(syllable, {}, [](double v) { return std::abs(v); });
        const double peak = kind == 1 ? 32767.0 * 1.4 : between(1500, 14000);
        for (std::size_t i = 0; i < length; ++i) {
            const double envelope = std::sin(std::numbers::pi * (i + 0.5) / length);
            const double value = syllable[i] / std::abs(largest) * peak * envelope;
            signal.push_back(static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0)));
        }
        const int pause = between(160, 1600);
        for (int i = 0; i < pause; ++i) {
            signal.push_back(static_cast<std::int16_t>(std::lround(3.0 * noise(random))));
        }
    }
    signal.resize(count);
    return signal;
}

}  // namespace kinorex::voice::testing
