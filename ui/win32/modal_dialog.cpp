#include "modal_dialog.h"

#include <algorithm>

namespace kinorex::win32 {

namespace {

// Over the owner's window, or in the middle of the screen's work area for a
// dialog without one, kept inside that work area.
void centre(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    RECT area = monitor.rcWork;
    if (owner != nullptr) {
        GetWindowRect(owner, &area);
    }
    RECT own;
    GetWindowRect(dialog, &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    const RECT& work = monitor.rcWork;
    const LONG x = std::clamp((area.left + area.right - width) / 2, work.left,
                              std::max(work.left, work.right - width));
    const LONG y = std::clamp((area.top + area.bottom - height) / 2, work.top,
                              std::max(work.top, work.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR ModalDialog::DoModal(HWND owner) {
    ended_ = false;
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                 &ModalDialog::dialogProc, reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) {
        return -1;
    }
    const bool ownerWasEnabled = owner != nullptr && EnableWindow(owner, FALSE) == 0;
    ShowWindow(window_, SW_SHOW);

    MSG message;
    while (!ended_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the outermost loop: hand it on and leave.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) {
            break;
        }
        if (!PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // The owner comes back before this window goes, so that Windows hands the
    // activation back to it rather than to another program.
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow(window_);
    window_ = nullptr;
    return result_;
}

void ModalDialog::endDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
}

bool ModalDialog::PreTranslateMessage(MSG& message) {
    return IsDialogMessageW(window_, &message) != 0;
}

INT_PTR ModalDialog::handleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    const bool okOrCancel =
        message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL);
    if (okOrCancel) {
        endDialog(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ModalDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
        // Templates give no position of their own: every dialog opens centred.
        centre(window);
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    // Messages sent while the window is being created arrive before WM_INITDIALOG.
    if (dialog == nullptr) {
        return FALSE;
    }
    return dialog->handleMessage(message, wParam, lParam);
}

}  // namespace kinorex::win32
