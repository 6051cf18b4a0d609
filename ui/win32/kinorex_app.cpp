#include "kinorex_app.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "converter_factory.h"
#include "kinorex_dlg.h"
#include "platform/command_line.h"
#include "platform/wide_string.h"

namespace kinorex {

namespace {

// The files and folders named on the command line ("Open with", files dropped on the
// program's icon), as full paths.
std::vector<std::string> commandLineRecordings() {
    std::vector<std::string> recordings;
    for (const std::string& argument : platform::commandLineArguments()) {
        const std::wstring given = platform::widen(argument);
        std::wstring full(GetFullPathNameW(given.c_str(), 0, nullptr, nullptr), L'\0');
        const DWORD length =
            GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        full.resize(length < full.size() ? length : 0);
        recordings.push_back(full.empty() ? argument : platform::narrow(full));
    }
    return recordings;
}

}  // namespace

bool CKinorexApp::InitInstance() {
    // The progress bar's class comes from the common controls.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        // Destroyed before returning, and with it the converter, which stops a
        // conversion still running when the dialog was closed.
        CKinorexDlg dialog(makeConverter(), commandLineRecordings());
        dialog.DoModal(nullptr);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return false;
}

}  // namespace kinorex
