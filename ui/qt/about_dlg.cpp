#include "about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "app_icon.h"
#include "dialog_geometry.h"

namespace kinorex {

namespace {

constexpr int kFontPointSize = 9;
constexpr int kWidthUnits = 170;
constexpr int kHeightUnits = 62;
constexpr DialogRect kIconRect{14, 14, 21, 20};
constexpr DialogRect kNameRect{42, 14, 114, 8};
constexpr DialogRect kCopyrightRect{42, 26, 114, 8};
constexpr DialogRect kOkRect{113, 41, 50, 14};

QLabel* makeLabel(QWidget* parent, const QString& text, const DialogRect& rect,
                  DialogBaseUnits base) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeControl(*label, rect, base);
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("关于 Kinorex"));
    setFont(dialogFont(kFontPointSize));
    const DialogBaseUnits base = baseUnitsOf(font());

    auto* icon = new QLabel(this);
    icon->setPixmap(appIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeControl(*icon, kIconRect, base);
    icon->adjustSize();
    makeLabel(this, QStringLiteral("Kinorex, Version 1.0"), kNameRect, base)
        ->setObjectName(QStringLiteral("nameLabel"));
    makeLabel(this, QStringLiteral("Copyright (C) 2026"), kCopyrightRect, base)
        ->setObjectName(QStringLiteral("copyrightLabel"));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    placeControl(*ok, kOkRect, base);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(clientSize(kWidthUnits, kHeightUnits, base));
}

}  // namespace kinorex
