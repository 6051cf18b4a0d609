#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "channel_choice.h"
#include "channel_selection.h"

class QCheckBox;

namespace kinorex {

// Asks which channels to convert: an "All" box and one box per channel, those that can be
// converted ticked on opening, the others unticked and disabled; each box's tooltip says
// what the channel holds. After OK, channelMask() holds bit n - 1 for every ticked
// channel n; a cancelled dialog keeps 0xFFFF, which is never used.
class CDlgSelChnnl : public QDialog {
    Q_OBJECT

public:
    explicit CDlgSelChnnl(QWidget* parent = nullptr, const ChannelChoice& choice = {});

    std::uint32_t channelMask() const { return channelMask_; }

protected:
    // Sees every left-button press on the dialog and its controls before the
    // pressed control does, so the "All" rule judges the states from before
    // the click.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChannelBoxStates boxStates() const;
    void showBoxStates(const ChannelBoxStates& boxes);
    void onAllClicked();
    void onOk();

    std::uint32_t channelMask_ = kAllChannelsMask;
    std::uint32_t enabled_;
    QCheckBox* allBox_ = nullptr;
    std::array<QCheckBox*, kChannelCount> channelBoxes_{};
};

}  // namespace kinorex
