#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kinorex::win32 {

// The standard open-file dialog for recordings, several at once: the chosen files' full
// paths (UTF-8), or nothing when the user cancelled.
std::optional<std::vector<std::string>> pickRecordingFiles(HWND owner);

// The shell's folder browser: the chosen folder's path (UTF-8), or nothing
// when the user cancelled or chose an item that is not a file-system folder.
std::optional<std::string> pickFolder(HWND owner, const wchar_t* title);

}  // namespace kinorex::win32
