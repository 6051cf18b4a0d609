#pragma once

#include <cstdint>

#include "channel_selection.h"
#include "modal_dialog.h"

namespace kinorex {

// Asks which channels to convert: an "All" box and one box per channel, all
// ticked on opening. After OK, channelMask() holds bit n - 1 for every ticked
// channel n; a cancelled dialog keeps 0xFFFF, which is never used.
class CDlgSelChnnl : public win32::ModalDialog {
public:
    CDlgSelChnnl();

    std::uint32_t channelMask() const { return channelMask_; }

protected:
    // Sees every left-button press on the dialog and its controls before the
    // pressed control does, so the "All" rule judges the states from before
    // the click.
    bool PreTranslateMessage(MSG& message) override;
    BOOL OnInitDialog() override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ChannelBoxStates boxStates() const;
    void showBoxStates(const ChannelBoxStates& boxes);

    std::uint32_t channelMask_ = kAllChannelsMask;
};

}  // namespace kinorex
