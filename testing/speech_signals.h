#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
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
