#pragma once

#include <chrono>

namespace kinorex::cli {

// Ctrl-C and SIGTERM (on Windows Ctrl-C and Ctrl-Break, through the console control
// handler) only raise a flag: the conversion loop then stops the converter properly, so
// every file written so far is complete. One implementation per platform.
void installInterruptHandlers();
bool interruptRequested();

// Sleeps for the given time, or less when a signal arrives, so that a Ctrl-C
// stops the conversion at once rather than at the next poll.
void sleepUnlessInterrupted(std::chrono::milliseconds duration);

inline constexpr int kInterruptedExitStatus = 130;

}  // namespace kinorex::cli
