#include "file_pickers.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "platform/wide_string.h"

namespace kinorex::win32 {

namespace {

// Room for long paths: the open-file dialog reports a path too long for its
// buffer as a failure.
constexpr DWORD kPathBufferChars = 32768;

}  // namespace

std::optional<std::vector<std::string>> pickRecordingFiles(HWND owner) {
    std::vector<wchar_t> path(kPathBufferChars, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"h264 files (*.h264)\0*.h264\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathBufferChars;
    dialog.lpstrDefExt = L"h264";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                   OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    // One file comes as its full path; several as the folder, then each name, every
    // string ended by a zero and the list by a second one.
    const std::wstring first(path.data());
    const bool rooted = first.ends_with(L'\\');
    std::vector<std::string> files;
    for (const wchar_t* name = path.data() + first.size() + 1; *name != L'\0';
         name += std::wcslen(name) + 1) {
        files.push_back(platform::narrow(first + (rooted ? L"" : L"\\") + name));
    }
    if (files.empty()) {
        files.push_back(platform::narrow(first));
    }
    return files;
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
