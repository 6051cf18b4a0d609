#include "kinorex_app.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "converter_factory.h"
#include "kinorex_dlg.h"
#include "platform/wide_string.h"

namespace kinorex {

namespace {

// The files and folders named on the command line ("Open with", files dropped on the
// program's icon), as full paths.
std::vector<std::string> commandLineRecordings() {
    std::vector<std::string> recordings;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return recordings;
    }
    for (int i = 1; i < count; ++i) {
        std::wstring full(GetFullPathNameW(arguments[i], 0, nullptr, nullptr), L'\0');
        const DWORD length =
            GetFullPathNameW(arguments[i], static_cast<DWORD>(full.size()), full.data(), nullptr);
        full.resize(length < full.size() ? length : 0);
        recordings.push_back(platform::narrow(full.empty() ? arguments[i] : full));
    }
    LocalFree(arguments);
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
