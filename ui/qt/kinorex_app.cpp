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
    // "Open with" and files dropped on the program's icon arrive as arguments.
    const QStringList recordings = arguments().mid(1);
    if (!recordings.isEmpty()) {
        dialog.addRecordings(recordings);
    }
    dialog.exec();
    return false;
}

}  // namespace kinorex
