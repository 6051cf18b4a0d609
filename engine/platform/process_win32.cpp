#include <windows.h>

#include "platform/process.h"

namespace kinorex::platform {

std::uint32_t currentProcessId() {
    return GetCurrentProcessId();
}

bool processIsRunning(std::uint32_t id) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        // A process of another user may not be opened, but it runs.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    // The handle of an ended process stays valid while someone holds it; it is signalled.
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace kinorex::platform
