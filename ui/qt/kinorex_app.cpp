#include "kinorex_app.h"

#include "converter_factory.h"
#include "kinorex_dlg.h"

namespace kinorex {

CKinorexApp::CKinorexApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Kinorex"));
}

bool CKinorexApp::InitInstance() {
    // Destroyed before returning, and with it the converter, which stops a
    // conversion still running when the dialog was closed.
    CKinorexDlg dialog(makeConverter());
    dialog.exec();
    return false;
}

}  // namespace kinorex
