#pragma once

// Access to the committed media fixtures (tests/fixtures): H.264 clips and raw
// 8 kHz speech.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace kinorex::test {

// Path of a file in tests/fixtures, e.g. fixturePath("speech_1.s16").
std::filesystem::path fixturePath(std::string_view name);

// Whole file as bytes; throws std::runtime_error when it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

// Raw signed 16-bit little-endian mono samples (.s16); throws std::runtime_error
// when the file cannot be read or holds an odd number of bytes.
std::vector<std::int16_t> loadS16(const std::filesystem::path& path);

}  // namespace kinorex::test
