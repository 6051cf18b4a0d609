#include "dialog_geometry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>

namespace kinorex {

QFont dialogFont(int pointSize) {
    QFont font = QApplication::font();
    font.setPointSize(pointSize);
    return font;
}

DialogBaseUnits baseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return baseUnitsFromAlphabet(alphabetWidth, metrics.height());
}

void placeControl(QWidget& control, const DialogRect& dialogUnits, DialogBaseUnits base) {
    const DialogRect pixels = toPixels(dialogUnits, base);
    control.setGeometry(pixels.x, pixels.y, pixels.width, pixels.height);
}

QSize clientSize(int widthUnits, int heightUnits, DialogBaseUnits base) {
    return {horizontalPixels(widthUnits, base), verticalPixels(heightUnits, base)};
}

}  // namespace kinorex
