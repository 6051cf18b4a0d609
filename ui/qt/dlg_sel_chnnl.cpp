#include "dlg_sel_chnnl.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>

#include "dialog_geometry.h"

namespace kinorex {

namespace {

constexpr int kFontPointSize = 8;
constexpr int kWidthUnits = 234;
constexpr int kHeightUnits = 118;

constexpr DialogRect kOkRect{55, 92, 50, 14};
constexpr DialogRect kCancelRect{117, 92, 50, 14};
constexpr DialogRect kAllRect{12, 23, 29, 11};

// Four rows of four, channels 1 to 4 in the first row.
constexpr std::array<int, 4> kColumnX{53, 93, 132, 171};
constexpr std::array<int, 4> kColumnWidth{35, 35, 34, 36};
constexpr std::array<int, 4> kRowY{23, 38, 52, 68};
constexpr int kBoxHeight = 11;

DialogRect channelBoxRect(int index) {
    const int column = index % 4;
    const int row = index / 4;
    return {kColumnX[column], kRowY[row], kColumnWidth[column], kBoxHeight};
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& caption, const QString& name) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    // The caption stands left of the box.
    box->setLayoutDirection(Qt::RightToLeft);
    box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    return box;
}

bool isLeftButtonPress(const QEvent* event) {
    const auto type = event->type();
    return (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
           static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}

}  // namespace

CDlgSelChnnl::CDlgSelChnnl(QWidget* parent, const ChannelChoice& choice)
    : QDialog(parent), enabled_(choice.enabled) {
    setObjectName(QStringLiteral("CDlgSelChnnl"));
    setWindowTitle(QStringLiteral("Channel Select"));
    setFont(dialogFont(kFontPointSize));

    // Created in the template's order, which is also the tab order.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    allBox_ = makeCheckBox(this, QStringLiteral("All"), QStringLiteral("allBox"));
    for (int i = 0; i < kChannelCount; ++i) {
        const QString number = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        channelBoxes_[i] = makeCheckBox(this, QStringLiteral("Chnnl") + number,
                                        QStringLiteral("channelBox") + number);
        channelBoxes_[i]->setEnabled((enabled_ >> i) & 1u);
        channelBoxes_[i]->setToolTip(QString::fromStdString(choice.toolTips[i]));
    }

    // The whole dialog widens evenly until every channel box shows its caption.
    DialogBaseUnits base = baseUnitsOf(font());
    for (int i = 0; i < kChannelCount; ++i) {
        base = widenedToFit(base, channelBoxRect(i).width, channelBoxes_[i]->sizeHint().width());
    }
    placeControl(*ok, kOkRect, base);
    placeControl(*cancel, kCancelRect, base);
    placeControl(*allBox_, kAllRect, base);
    for (int i = 0; i < kChannelCount; ++i) {
        placeControl(*channelBoxes_[i], channelBoxRect(i), base);
    }
    setFixedSize(clientSize(kWidthUnits, kHeightUnits, base));

    connect(ok, &QPushButton::clicked, this, &CDlgSelChnnl::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(allBox_, &QCheckBox::clicked, this, &CDlgSelChnnl::onAllClicked);

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    showBoxStates(initialChannelBoxes(enabled_));
}

bool CDlgSelChnnl::eventFilter(QObject* watched, QEvent* event) {
    if (isLeftButtonPress(event)) {
        showBoxStates(afterLeftButtonPress(boxStates(), enabled_));
    }
    return QDialog::eventFilter(watched, event);
}

ChannelBoxStates CDlgSelChnnl::boxStates() const {
    ChannelBoxStates boxes;
    boxes.all = allBox_->isChecked();
    for (int i = 0; i < kChannelCount; ++i) {
        boxes.channels[i] = channelBoxes_[i]->isChecked();
    }
    return boxes;
}

void CDlgSelChnnl::showBoxStates(const ChannelBoxStates& boxes) {
    for (int i = 0; i < kChannelCount; ++i) {
        channelBoxes_[i]->setChecked(boxes.channels[i]);
    }
    allBox_->setChecked(boxes.all);
}

void CDlgSelChnnl::onAllClicked() {
    showBoxStates(afterAllClicked(boxStates(), enabled_));
}

void CDlgSelChnnl::onOk() {
    channelMask_ = kinorex::channelMask(boxStates());
    accept();
}

}  // namespace kinorex
