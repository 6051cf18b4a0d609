#include <windows.h>

#include <string>

#include "file_checks.h"
#include "platform/wide_string.h"

namespace kinorex::cli {

namespace {

// The system's text for an error code, such as "The system cannot find the file specified".
std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = text != nullptr ? platform::narrow(text) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(platform::widen(path).c_str());
}

}  // namespace

std::optional<std::string> unreadableSourceReason(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return systemMessage(GetLastError());
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return "is a folder, not a recording";
    }
    const HANDLE file = CreateFileW(platform::widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return systemMessage(GetLastError());
    }
    CloseHandle(file);
    return std::nullopt;
}

std::optional<std::string> unwritableFolderReason(const std::string& folder) {
    const DWORD attributes = attributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return systemMessage(GetLastError());
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return "not a folder";
    }
    // Windows has no cheap test for the right to write: a folder's read-only attribute
    // means nothing, and its access list is hard to judge. Creating a file says it for sure;
    // the system removes it again when it is closed.
    const auto probe = folder + "\\kinorex-write-check-" + std::to_string(GetCurrentProcessId());
    const HANDLE file =
        CreateFileW(platform::widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return systemMessage(GetLastError());
    }
    CloseHandle(file);
    return std::nullopt;
}

std::uint64_t fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(platform::widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string currentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    const DWORD written = GetCurrentDirectoryW(length, folder.data());
    folder.resize(written < length ? written : 0);
    return platform::narrow(folder);
}

}  // namespace kinorex::cli
