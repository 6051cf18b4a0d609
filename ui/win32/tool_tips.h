#pragma once

#include <windows.h>

#include <string>

namespace kinorex::win32 {

// One tooltip window for a dialog's controls. Tooltips of disabled controls show too, as
// the channel dialog's disabled boxes say why they are disabled.
class ToolTips {
public:
    ToolTips() = default;
    ~ToolTips();
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;

    // Sets the control's tooltip (UTF-8, lines separated by '\n'); an empty text removes it.
    void set(HWND dialog, int controlId, const std::string& text);

private:
    HWND window_ = nullptr;
};

}  // namespace kinorex::win32
