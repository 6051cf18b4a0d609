#pragma once

#include <cstdint>
#include <thread>

namespace kinorex {

// The frame walks give up their time slice now and then so that a busy machine still
// serves the other threads. A yield is a system call: after every record it cost about
// half of a whole conversion, so the walks yield once per kRecordsPerYield records.
inline constexpr std::uint32_t kRecordsPerYield = 64;

inline void yieldAfterRecord(std::uint32_t recordsDone) {
    if (recordsDone % kRecordsPerYield == 0) {
        std::this_thread::yield();
    }
}

}  // namespace kinorex
