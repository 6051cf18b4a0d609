#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/file.h"
#include "platform/wide_string.h"

namespace kinorex::platform {

namespace {

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// ReadFile counts in 32 bits; larger requests go in pieces of this size.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;

}  // namespace

bool File::openForSharedRead(const char* path) {
    close();
    const std::wstring widePath = widen(path);
    if (widePath.empty()) {
        return false;
    }
    // Full sharing: the recorder or a copy may still be writing the recording, a player
    // reading it, and Explorer may rename or delete it, all while it is converted.
    const HANDLE file = CreateFileW(
        widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;  // folders fail here too, as they need FILE_FLAG_BACKUP_SEMANTICS
    }
    // Only disk files: a pipe or a device (CON, COM1) would block reads and has no size.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void File::close() {
    if (isOpen()) {
        CloseHandle(native(handle_));
        handle_ = kInvalidHandle;
    }
}

std::optional<std::size_t> File::readSome(void* buffer, std::size_t count) {
    DWORD got = 0;
    if (!ReadFile(native(handle_), buffer, static_cast<DWORD>(std::min(count, kLargestRead)), &got,
                  nullptr)) {
        return std::nullopt;
    }
    return got;
}

bool File::seek(std::uint64_t offset) {
    if (!isOpen() || offset > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) {
        return false;
    }
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(native(handle_), distance, nullptr, FILE_BEGIN) != 0;
}

std::optional<std::uint64_t> File::position() const {
    LARGE_INTEGER at{};
    if (!SetFilePointerEx(native(handle_), LARGE_INTEGER{}, &at, FILE_CURRENT)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(at.QuadPart);
}

std::optional<std::uint64_t> File::size() const {
    LARGE_INTEGER size{};
    if (!isOpen() || !GetFileSizeEx(native(handle_), &size)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace kinorex::platform
