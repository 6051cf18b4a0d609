#pragma once

#include <cstdint>
#include <thread>

namespace kinorex {

// The frame walks give up their time slice now and then so that a busy machine still
// serves the other threads. A yield is a system call, and on a busy machine it hands the
// rest of the time slice to another program: after every record it cost about half of a
// whole conversion, and even every 64 records it still took a tenth. Once per
// kRecordsPerYield records (about a millisecond of work) is often enough for the others.
inline constexpr std::uint32_t kRecordsPerYield = 1024;

inline void yieldAfterRecord(std::uint32_t recordsDone) {
    if (recordsDone % kRecordsPerYield == 0) {
        std::this_thread::yield();
    }
}

}  // namespace kinorex
