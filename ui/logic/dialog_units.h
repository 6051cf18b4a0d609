#pragma once

namespace kinorex {

// Dialog templates measure in dialog units: a quarter of the dialog font's
// average character width horizontally, an eighth of its height vertically,
// so that a layout grows and shrinks with its font.
struct DialogBaseUnits {
    int x = 0;  // average character width in pixels
    int y = 0;  // character height in pixels
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The average width is taken, rounded, from the 52 letters A-Z and a-z set in
// the dialog font, as the classic dialog manager does.
DialogBaseUnits baseUnitsFromAlphabet(int alphabetWidth, int fontHeight);

// The base units widened, where needed, so that a control whose content is
// neededPixels wide fits the given width in dialog units. Templates drawn for
// one font can be too tight for another face and its check-box indicators.
DialogBaseUnits widenedToFit(DialogBaseUnits base, int widthUnits, int neededPixels);

int horizontalPixels(int dialogUnits, DialogBaseUnits base);
int verticalPixels(int dialogUnits, DialogBaseUnits base);
DialogRect toPixels(const DialogRect& dialogUnits, DialogBaseUnits base);

}  // namespace kinorex
