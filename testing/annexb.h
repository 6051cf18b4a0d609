#pragma once

// Cuts an H.264 Annex B elementary stream into the per-picture frames a
// recorder stores, so that tests can build recordings from the committed clips
// and check converter output frame by frame.

#include <cstdint>
#include <span>
#include <vector>

namespace kinorex::test {

// One coded picture with the parameter sets, SEI and access unit delimiter that
// precede it, exactly as those bytes appear in the stream (start codes included).
struct AccessUnit {
    std::vector<std::uint8_t> bytes;
    bool idr = false;  // holds an IDR slice, i.e. the recorder's key frame
};

// Splits an Annex B stream into access units, one per coded picture. A picture
// starts at a slice NAL (type 1 or 5) whose first_mb_in_slice is 0; the
// non-picture NAL units (SEI, SPS, PPS, delimiter) just before it belong to it,
// as does anything before the first picture. NAL units after the last picture
// stay with that picture. The units laid end to end give back the whole stream;
// a stream without any picture gives none.
std::vector<AccessUnit> splitAccessUnits(std::span<const std::uint8_t> stream);

// Types (nal_unit_type, 0 to 31) of the NAL units in the bytes, in order.
std::vector<int> nalUnitTypes(std::span<const std::uint8_t> bytes);

// True when the bytes hold a NAL unit of type 5 (IDR slice).
bool containsIdr(std::span<const std::uint8_t> accessUnit);

}  // namespace kinorex::test
