#include "tool_tips.h"

#include <commctrl.h>

#include "platform/wide_string.h"

namespace kinorex::win32 {

namespace {

// Wide enough for a path on one line; longer lines wrap.
constexpr int kMaxTipWidth = 600;

}  // namespace

ToolTips::~ToolTips() {
    // The dialog that owns it may have taken it along already.
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
}

void ToolTips::set(HWND dialog, int controlId, const std::string& text) {
    if (window_ == nullptr) {
        window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (window_ == nullptr) {
            return;
        }
        // A maximum width makes the tooltip honour the line breaks of the text.
        SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    }
    std::wstring wide = platform::widen(text);
    HWND control = GetDlgItem(dialog, controlId);
    // An enabled control gets the mouse itself; over a disabled one the dialog gets it, so
    // the tip is tied to the control and to its rectangle in the dialog.
    TTTOOLINFOW onControl{};
    onControl.cbSize = sizeof(onControl);
    onControl.hwnd = dialog;
    onControl.uId = reinterpret_cast<UINT_PTR>(control);
    onControl.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    onControl.lpszText = wide.data();
    TTTOOLINFOW onDialog = onControl;
    onDialog.uId = static_cast<UINT_PTR>(controlId);
    onDialog.uFlags = TTF_SUBCLASS;
    GetWindowRect(control, &onDialog.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&onDialog.rect), 2);
    for (TTTOOLINFOW* tool : {&onControl, &onDialog}) {
        SendMessageW(window_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(tool));
        if (!wide.empty()) {
            SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(tool));
        }
    }
}

}  // namespace kinorex::win32
