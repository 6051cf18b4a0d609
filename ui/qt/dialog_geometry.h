#pragma once

#include <QFont>
#include <QSize>

#include "dialog_units.h"

class QWidget;

namespace kinorex {

// The dialog font at the template's point size: the desktop's own face, since
// the templates' "MS Shell Dlg" exists only on Windows.
QFont dialogFont(int pointSize);

DialogBaseUnits baseUnitsOf(const QFont& font);

// Puts a control where its template rectangle says.
void placeControl(QWidget& control, const DialogRect& dialogUnits, DialogBaseUnits base);

// A template's width and height, which give the dialog's client area.
QSize clientSize(int widthUnits, int heightUnits, DialogBaseUnits base);

}  // namespace kinorex
