#pragma once

#include <cstdint>
#include <optional>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kinorex::test {

// A process number above any in use (Linux stops at 2^22, Windows numbers fit the range too),
// standing for a run that has ended.
inline std::uint32_t endedProcessId() {
    return 0x7FFFFFF0;
}

// Another process that surely runs while the test does: its parent. Windows has no cheap
// answer, and there the test does without.
inline std::optional<std::uint32_t> runningOtherProcessId() {
#ifdef _WIN32
    return std::nullopt;
#else
    return static_cast<std::uint32_t>(::getppid());
#endif
}

}  // namespace kinorex::test
