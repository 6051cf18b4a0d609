#pragma once

#include <QDialog>

namespace kinorex {

// The about box, reached through the main dialog's context menu.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace kinorex
