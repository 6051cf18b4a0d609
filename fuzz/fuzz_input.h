#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace kinorex::fuzz {

// The fuzzer's bytes, taken from the front a field at a time. Fields past the end read as
// zero, so every input, however short, is a complete test case.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    std::uint16_t u16() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | byte() << 8);
    }
    // Copies up to out.size() bytes and zero-fills what the input no longer holds.
    void fill(std::span<std::uint8_t> out) {
        const std::size_t n = std::min(out.size(), size_ - position_);
        std::memcpy(out.data(), data_ + position_, n);
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), 0);
        position_ += n;
    }
    std::span<const std::uint8_t> rest() const { return {data_ + position_, size_ - position_}; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A broken promise of the code under test: abort, so that the fuzzer keeps the input and a
// replaying test fails.
inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace kinorex::fuzz
