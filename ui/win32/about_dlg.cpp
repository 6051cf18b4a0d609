#include "about_dlg.h"

#include "resource_ids.h"

namespace kinorex {

CAboutDlg::CAboutDlg() : ModalDialog(IDD_ABOUTBOX) {}

}  // namespace kinorex
