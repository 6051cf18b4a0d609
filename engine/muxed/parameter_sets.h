#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace kinorex {

// The first sequence and picture parameter sets of an H.264 frame in Annex B form, each
// behind a four-byte start code, as the muxers take them for the stream's decoder
// configuration; empty unless the frame holds both.
std::vector<std::byte> parameterSets(std::span<const std::byte> frame);

}  // namespace kinorex
