#include "annexb.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace kinorex::test {
namespace {

constexpr int kSliceNonIdr = 1;
constexpr int kSliceIdr = 5;

struct NalUnit {
    std::size_t begin;   // first byte of its start code, the zero_byte of a 4-byte one included
    std::size_t header;  // the NAL header byte
};

int nalType(std::span<const std::uint8_t> stream, const NalUnit& nal) {
    return stream[nal.header] & 0x1f;
}

std::vector<NalUnit> findNalUnits(std::span<const std::uint8_t> stream) {
    std::vector<NalUnit> units;
    for (std::size_t i = 0; i + 3 < stream.size(); ++i) {
        if (stream[i] != 0 || stream[i + 1] != 0 || stream[i + 2] != 1) {
            continue;
        }
        // A zero in front makes it a 4-byte start code, unless that zero is the
        // previous unit's header byte.
        const bool zeroByte =
            i > 0 && stream[i - 1] == 0 && (units.empty() || units.back().header < i - 1);
        units.push_back({zeroByte ? i - 1 : i, i + 3});
        i += 2;
    }
    return units;
}

bool isSlice(int type) {
    return type == kSliceNonIdr || type == kSliceIdr;
}

// first_mb_in_slice is the slice header's first field, ue(v); the value 0 is the
// single bit '1', so the first slice of a picture has the top bit of the byte
// after the NAL header set. Emulation prevention cannot touch that byte.
bool startsPicture(std::span<const std::uint8_t> stream, const NalUnit& nal) {
    return nal.header + 1 < stream.size() && (stream[nal.header + 1] & 0x80) != 0;
}

// NAL types that may only come before the first slice of an access unit: SEI,
// SPS, PPS, access unit delimiter, and 14 to 18.
bool precedesPicture(int type) {
    return (type >= 6 && type <= 9) || (type >= 14 && type <= 18);
}

}  // namespace

std::vector<AccessUnit> splitAccessUnits(std::span<const std::uint8_t> stream) {
    std::vector<std::size_t> starts;
    // Where the run of non-picture NAL units in front of the next picture begins.
    std::optional<std::size_t> leadIn;
    for (const NalUnit& nal : findNalUnits(stream)) {
        const int type = nalType(stream, nal);
        if (isSlice(type)) {
            if (startsPicture(stream, nal)) {
                starts.push_back(starts.empty() ? 0 : leadIn.value_or(nal.begin));
            }
            leadIn.reset();
        } else if (precedesPicture(type) && !leadIn) {
            leadIn = nal.begin;
        }
    }

    std::vector<AccessUnit> units;
    units.reserve(starts.size());
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : stream.size();
        const auto bytes = stream.subspan(starts[k], end - starts[k]);
        units.push_back({{bytes.begin(), bytes.end()}, containsIdr(bytes)});
    }
    return units;
}

std::vector<int> nalUnitTypes(std::span<const std::uint8_t> bytes) {
    std::vector<int> types;
    for (const NalUnit& nal : findNalUnits(bytes)) {
        types.push_back(nalType(bytes, nal));
    }
    return types;
}

bool containsIdr(std::span<const std::uint8_t> accessUnit) {
    const std::vector<int> types = nalUnitTypes(accessUnit);
    return std::ranges::find(types, kSliceIdr) != types.end();
}

}  // namespace kinorex::test
