#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_sink.h"
#include "platform/wide_string.h"

namespace kinorex {
namespace {

// WriteFile counts in 32 bits; larger pieces go in parts of this size.
constexpr std::size_t kLargestWrite = std::size_t{1} << 30;

// The engine speaks errno values on every platform (its own refusals are ENOSPC, EINVAL
// and ENOMEM, and the report words them), so the Win32 codes are translated here.
int errnoFor(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return EINVAL;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        default:
            return EIO;
    }
}

int lastError() {
    return errnoFor(GetLastError());
}

class Win32FileSink final : public FileSink {
public:
    explicit Win32FileSink(HANDLE file) : file_(file) {}
    ~Win32FileSink() override { close(); }

    int writeAt(std::uint64_t offset, std::span<const std::span<const std::byte>> pieces) override {
        for (auto piece : pieces) {
            while (!piece.empty()) {
                const auto request = static_cast<DWORD>(std::min(piece.size(), kLargestWrite));
                // The offset in OVERLAPPED places a synchronous write without a seek.
                OVERLAPPED at{};
                at.Offset = static_cast<DWORD>(offset);
                at.OffsetHigh = static_cast<DWORD>(offset >> 32);
                DWORD written = 0;
                if (!WriteFile(file_, piece.data(), request, &written, &at)) {
                    return lastError();
                }
                if (written == 0) {
                    return EIO;
                }
                offset += written;
                piece = piece.subspan(written);
            }
        }
        return 0;
    }

    int truncate(std::uint64_t size) override {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) {
            return lastError();
        }
        return 0;
    }

    int close() override {
        if (file_ == INVALID_HANDLE_VALUE) {
            return 0;
        }
        const int result = CloseHandle(file_) ? 0 : lastError();
        file_ = INVALID_HANDLE_VALUE;
        return result;
    }

private:
    HANDLE file_;
};

}  // namespace

int createFileSink(const char* path, std::unique_ptr<FileSink>& sink) {
    const std::wstring widePath = platform::widen(path);
    if (widePath.empty()) {
        return EINVAL;  // not UTF-8
    }
    // The old file goes first, so a player that still has it open keeps reading the old
    // contents. DeleteFileW removes files only, never a folder of that name.
    DeleteFileW(widePath.c_str());
    // Others may read the AVI file while it grows, but not write into it.
    const HANDLE file =
        CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    sink = std::make_unique<Win32FileSink>(file);
    return 0;
}

int replaceFile(const char* from, const char* to) {
    const std::wstring wideFrom = platform::widen(from);
    const std::wstring wideTo = platform::widen(to);
    if (wideFrom.empty() || wideTo.empty()) {
        return EINVAL;
    }
    // Write-through: the new file is on the disk before the rename that replaces the old.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), flags) ? 0 : lastError();
}

}  // namespace kinorex
