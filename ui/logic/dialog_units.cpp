#include "dialog_units.h"

namespace kinorex {

namespace {

// value * numerator / denominator rounded to the nearest integer, halves away
// from zero, as the conversion of dialog units has always rounded.
int scaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

DialogBaseUnits baseUnitsFromAlphabet(int alphabetWidth, int fontHeight) {
    return {(alphabetWidth / 26 + 1) / 2, fontHeight};
}

DialogBaseUnits widenedToFit(DialogBaseUnits base, int widthUnits, int neededPixels) {
    if (widthUnits <= 0) {
        return base;
    }
    while (horizontalPixels(widthUnits, base) < neededPixels) {
        ++base.x;
    }
    return base;
}

int horizontalPixels(int dialogUnits, DialogBaseUnits base) {
    return scaleRounded(dialogUnits, base.x, 4);
}

int verticalPixels(int dialogUnits, DialogBaseUnits base) {
    return scaleRounded(dialogUnits, base.y, 8);
}

DialogRect toPixels(const DialogRect& dialogUnits, DialogBaseUnits base) {
    return {horizontalPixels(dialogUnits.x, base), verticalPixels(dialogUnits.y, base),
            horizontalPixels(dialogUnits.width, base), verticalPixels(dialogUnits.height, base)};
}

}  // namespace kinorex
