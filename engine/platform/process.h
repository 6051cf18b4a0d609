#pragma once

#include <cstdint>

namespace kinorex::platform {

// Which process wrote a file aside, told by the number in its name; one implementation per
// platform (process_posix.cpp, process_win32.cpp).
std::uint32_t currentProcessId();
// False only when no process of that number runs on this machine; a number in use again by
// another program counts as running, which merely leaves a file for a later run.
bool processIsRunning(std::uint32_t id);

}  // namespace kinorex::platform
