#pragma once

#include <windows.h>

namespace kinorex::win32 {

// A dialog from a template, run modally by a message loop of its own, so that
// a dialog can look at every message before the dialog manager does (the main
// dialog keeps Enter and Escape from it; the channel dialog watches mouse
// presses). DialogBox would hide those messages.
class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Shows the dialog, owner disabled meanwhile, until endDialog; returns
    // endDialog's result, or -1 when the template could not be loaded.
    INT_PTR DoModal(HWND owner);

protected:
    explicit ModalDialog(int templateId) : templateId_(templateId) {}

    HWND window() const { return window_; }
    void endDialog(INT_PTR result);

    // Called for every message that reaches the dialog's loop before it is
    // dispatched; true when it needs nothing more. By default the dialog
    // manager takes its keys (Tab, arrows, Enter, Escape, mnemonics).
    virtual bool PreTranslateMessage(MSG& message);
    virtual BOOL OnInitDialog() { return TRUE; }
    // A dialog procedure's answer: nonzero when handled. By default OK (Enter)
    // and Cancel (Escape, the close box) end the dialog with their ids.
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;
    bool ended_ = false;
    INT_PTR result_ = IDCANCEL;
};

}  // namespace kinorex::win32
