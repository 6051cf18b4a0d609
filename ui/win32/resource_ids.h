#pragma once

// Numbers shared by the resource script and the code. Programs that drive the
// dialogs from outside (the test driver among them) rely on these ids.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KINOREX_DIALOG 102
#define IDD_DLGSELCHNNL 103
#define IDR_MAINFRAME 128

// The system-menu entry that opens the about box.
#define IDM_ABOUTBOX 0x0010

// Main dialog.
#define IDC_BTN_STOP 1000
#define IDC_BTN_START 1001
#define IDC_EDIT_SOURCE 1002
#define IDC_BTN_BROWSE_SOURCE 1003
#define IDC_PROGRESS 1004
#define IDC_EDIT_AVI_PATH 1005
#define IDC_BTN_BROWSE_AVI_PATH 1006
#define IDC_COMBO_FORMAT 1007
#define IDC_STATUS_LINE 1008

// Channel selection: "All", then channel n at IDC_CHECK_ALL + n.
#define IDC_CHECK_ALL 1005
#define IDC_CHECK_CHNNL01 1006

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
