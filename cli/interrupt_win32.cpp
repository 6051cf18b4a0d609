#include <windows.h>

#include <atomic>

#include "interrupt.h"

namespace kinorex::cli {

namespace {

constexpr int kCtrlCStatus = 130;
// Closing the console, logging off and shutting down hang up on the program.
constexpr int kHangUpStatus = 129;
// Windows ends a process about 5 s after a close event whatever its handler does; the
// handler gives the files nearly all of that.
constexpr DWORD kCloseWaitMs = 4500;

std::atomic<int> exitStatus{0};
// Set with the flag, so that a sleeping poll wakes at once.
HANDLE interruptEvent = nullptr;
// Set once the files are complete after an interruption.
HANDLE handledEvent = nullptr;

void requestStop(int status) {
    int none = 0;
    exitStatus.compare_exchange_strong(none, status);
    SetEvent(interruptEvent);
}

// Runs on a thread of its own that the console creates for the event.
BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            requestStop(kCtrlCStatus);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns, so it returns only once the conversion
            // loop has completed the files, or when the time Windows allows is nearly up.
            requestStop(kHangUpStatus);
            WaitForSingleObject(handledEvent, kCloseWaitMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void installInterruptHandlers() {
    if (interruptEvent == nullptr) {
        interruptEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        handledEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool interruptRequested() {
    return exitStatus != 0;
}

int interruptExitStatus() {
    return exitStatus;
}

void sleepUnlessInterrupted(std::chrono::milliseconds duration) {
    if (interruptEvent == nullptr) {
        Sleep(static_cast<DWORD>(duration.count()));
        return;
    }
    WaitForSingleObject(interruptEvent, static_cast<DWORD>(duration.count()));
}

void interruptHandled() {
    if (handledEvent != nullptr) {
        SetEvent(handledEvent);
    }
}

}  // namespace kinorex::cli
