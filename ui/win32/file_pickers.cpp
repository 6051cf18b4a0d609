#include "file_pickers.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/wide_string.h"

namespace kinorex::win32 {

namespace {

// Room for long paths: the open-file dialog reports a path too long for its
// buffer as a failure.
constexpr DWORD kPathBufferChars = 32768;

}  // namespace

std::optional<std::string> pickRecordingFile(HWND owner) {
    std::vector<wchar_t> path(kPathBufferChars, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"h264 files (*.h264)\0*.h264\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathBufferChars;
    dialog.lpstrDefExt = L"h264";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    return platform::narrow(path.data());
}

std::optional<std::string> pickFolder(HWND owner, const wchar_t* title) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
    if (item == nullptr) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = {};
    const bool isFolder = SHGetPathFromIDListW(item, path) != 0;
    CoTaskMemFree(item);
    if (!isFolder) {
        return std::nullopt;
    }
    return platform::narrow(path);
}

}  // namespace kinorex::win32
