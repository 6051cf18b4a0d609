#pragma once

#include "modal_dialog.h"

namespace kinorex {

// The about box, opened from the main dialog's system menu. Everything it
// shows is in its template.
class CAboutDlg : public win32::ModalDialog {
public:
    CAboutDlg();
};

}  // namespace kinorex
