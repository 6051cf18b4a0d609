#pragma once

#include <cstdint>

#include "channel_choice.h"
#include "channel_selection.h"
#include "modal_dialog.h"
#include "tool_tips.h"

namespace kinorex {

// Asks which channels to convert: an "All" box and one box per channel, those that can be
// converted ticked on opening, the others unticked and disabled; each box's tooltip says
// what the channel holds. After OK, channelMask() holds bit n - 1 for every ticked
// channel n; a cancelled dialog keeps 0xFFFF, which is never used.
class CDlgSelChnnl : public win32::ModalDialog {
public:
    explicit CDlgSelChnnl(const ChannelChoice& choice = {});

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
    ChannelChoice choice_;
    win32::ToolTips toolTips_;
};

}  // namespace kinorex
