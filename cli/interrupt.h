#pragma once

#include <chrono>

namespace kinorex::cli {

// Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break and closing the console,
// through the console control handler) only raise a flag: the conversion loop then stops
// the converter properly, so every file written so far is complete. A closed pipe on the
// output no longer ends the program: its writes just go nowhere. One implementation per
// platform.
void installInterruptHandlers();
bool interruptRequested();

// The exit status that says what interrupted the run, 128 and the signal's number as
// shells have it: 130 Ctrl-C, 129 SIGHUP (or a closed console), 143 SIGTERM.
int interruptExitStatus();

// Sleeps for the given time, or less when a signal arrives, so that a Ctrl-C
// stops the conversion at once rather than at the next poll.
void sleepUnlessInterrupted(std::chrono::milliseconds duration);

// Says that the files are complete after an interruption. A closing Windows console ends
// the process as soon as its handler returns, so the handler waits for this.
void interruptHandled();

}  // namespace kinorex::cli
