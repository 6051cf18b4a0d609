#include "kinorex_app.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "converter_factory.h"
#include "kinorex_dlg.h"

namespace kinorex {

bool CKinorexApp::InitInstance() {
    // The progress bar's class comes from the common controls.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        // Destroyed before returning, and with it the converter, which stops a
        // conversion still running when the dialog was closed.
        CKinorexDlg dialog(makeConverter());
        dialog.DoModal(nullptr);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return false;
}

}  // namespace kinorex
