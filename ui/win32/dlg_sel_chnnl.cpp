#include "dlg_sel_chnnl.h"

#include "resource_ids.h"

namespace kinorex {

namespace {

int channelBoxId(int index) {
    return IDC_CHECK_CHNNL01 + index;
}

bool isLeftButtonPress(const MSG& message) {
    return message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONDBLCLK;
}

}  // namespace

CDlgSelChnnl::CDlgSelChnnl(const ChannelChoice& choice)
    : ModalDialog(IDD_DLGSELCHNNL), choice_(choice) {}

bool CDlgSelChnnl::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == window() || IsChild(window(), message.hwnd) != 0;
    if (ours && isLeftButtonPress(message)) {
        showBoxStates(afterLeftButtonPress(boxStates(), choice_.enabled));
    }
    return ModalDialog::PreTranslateMessage(message);
}

BOOL CDlgSelChnnl::OnInitDialog() {
    for (int i = 0; i < kChannelCount; ++i) {
        EnableWindow(GetDlgItem(window(), channelBoxId(i)), (choice_.enabled >> i) & 1u);
        toolTips_.set(window(), channelBoxId(i), choice_.toolTips[i]);
    }
    showBoxStates(initialChannelBoxes(choice_.enabled));
    return TRUE;
}

INT_PTR CDlgSelChnnl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id == IDC_CHECK_ALL && HIWORD(wParam) == BN_CLICKED) {
            // The box has already toggled itself.
            showBoxStates(afterAllClicked(boxStates(), choice_.enabled));
            return TRUE;
        }
        if (id == IDOK) {
            channelMask_ = kinorex::channelMask(boxStates());
        }
    }
    // OK and Cancel end the dialog there.
    return ModalDialog::handleMessage(message, wParam, lParam);
}

ChannelBoxStates CDlgSelChnnl::boxStates() const {
    ChannelBoxStates boxes;
    boxes.all = IsDlgButtonChecked(window(), IDC_CHECK_ALL) == BST_CHECKED;
    for (int i = 0; i < kChannelCount; ++i) {
        boxes.channels[i] = IsDlgButtonChecked(window(), channelBoxId(i)) == BST_CHECKED;
    }
    return boxes;
}

void CDlgSelChnnl::showBoxStates(const ChannelBoxStates& boxes) {
    for (int i = 0; i < kChannelCount; ++i) {
        CheckDlgButton(window(), channelBoxId(i), boxes.channels[i] ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckDlgButton(window(), IDC_CHECK_ALL, boxes.all ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace kinorex
