#pragma once

namespace kinorex::cli {

// Ctrl-C and SIGTERM only raise a flag: the conversion loop then stops the
// converter properly, so every file written so far is complete.
void installInterruptHandlers();
bool interruptRequested();

inline constexpr int kInterruptedExitStatus = 130;

}  // namespace kinorex::cli
