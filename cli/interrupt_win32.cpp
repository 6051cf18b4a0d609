#include <windows.h>

#include <atomic>

#include "interrupt.h"

namespace kinorex::cli {

namespace {

std::atomic<bool> interrupted{false};
// Set with the flag, so that a sleeping poll wakes at once.
HANDLE interruptEvent = nullptr;

// Runs on a thread of its own that the console creates for the event.
BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            interrupted = true;
            SetEvent(interruptEvent);
            return TRUE;
        default:
            // Closing the console ends the process as soon as a handler returns, so
            // claiming that event would not let the conversion finish either.
            return FALSE;
    }
}

}  // namespace

void installInterruptHandlers() {
    if (interruptEvent == nullptr) {
        interruptEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool interruptRequested() {
    return interrupted;
}

void sleepUnlessInterrupted(std::chrono::milliseconds duration) {
    if (interruptEvent == nullptr) {
        Sleep(static_cast<DWORD>(duration.count()));
        return;
    }
    WaitForSingleObject(interruptEvent, static_cast<DWORD>(duration.count()));
}

}  // namespace kinorex::cli
