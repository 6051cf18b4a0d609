#include "muxed/parameter_sets.h"

#include <algorithm>
#include <array>

namespace kinorex {

namespace {

constexpr int kSequenceParameterSet = 7;
constexpr int kPictureParameterSet = 8;
constexpr std::array<std::byte, 3> kStartCode{std::byte{0}, std::byte{0}, std::byte{1}};

// Where the next three-byte start code begins, or the end.
std::size_t findStartCode(std::span<const std::byte> bytes, std::size_t from) {
    const auto found = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(),
                                   kStartCode.begin(), kStartCode.end());
    return static_cast<std::size_t>(found - bytes.begin());
}

}  // namespace

std::vector<std::byte> parameterSets(std::span<const std::byte> frame) {
    std::span<const std::byte> sets[2];
    std::size_t at = findStartCode(frame, 0);
    while (at < frame.size() && (sets[0].empty() || sets[1].empty())) {
        const std::size_t unit = at + kStartCode.size();
        std::size_t end = findStartCode(frame, std::min(unit, frame.size()));
        const std::size_t next = end;
        // A four-byte start code's leading zero, and trailing zero bytes, are not the unit's.
        while (end > unit && frame[end - 1] == std::byte{0}) {
            --end;
        }
        if (end > unit) {
            const int type = std::to_integer<int>(frame[unit]) & 0x1F;
            if (type == kSequenceParameterSet && sets[0].empty()) {
                sets[0] = frame.subspan(unit, end - unit);
            } else if (type == kPictureParameterSet && sets[1].empty()) {
                sets[1] = frame.subspan(unit, end - unit);
            }
        }
        at = next;
    }
    std::vector<std::byte> configuration;
    if (sets[0].empty() || sets[1].empty()) {
        return configuration;
    }
    for (const auto set : sets) {
        configuration.insert(configuration.end(),
                             {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{1}});
        configuration.insert(configuration.end(), set.begin(), set.end());
    }
    return configuration;
}

}  // namespace kinorex
