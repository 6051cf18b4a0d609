#pragma once

#include <windows.h>

#include "progress_bar_model.h"

namespace kinorex {

// A progress bar that paints itself: the filled part, the empty part and the
// percentage centred over both, the text taking the colour of the part it is
// not over. It takes over a progress control made from a dialog template and
// repaints at once, and only when the filled width in pixels changes, so a
// fast stream of positions costs no more than the pixels show.
class CTextProgressCtrl {
public:
    // The colours are the system's at construction; later changes of the
    // system colours do not reach this bar.
    CTextProgressCtrl();
    ~CTextProgressCtrl();

    CTextProgressCtrl(const CTextProgressCtrl&) = delete;
    CTextProgressCtrl& operator=(const CTextProgressCtrl&) = delete;

    // Takes over the painting and the text of an existing progress control.
    void SubclassWindow(HWND control);

    // Stores the bounds only; nothing repaints, and the control is not told.
    void SetRange(int lower, int upper);
    void SetShowText(bool shown);
    // Returns the previous position, or -1 (storing nothing) while the bar has
    // no window. The position is not clamped to the range.
    int SetPos(int position);

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    LRESULT takeText(WPARAM wParam, LPARAM lParam);
    LRESULT copyText(WPARAM size, LPARAM buffer) const;
    int clientWidth() const;

    HWND window_ = nullptr;
    ProgressBarModel model_;
    COLORREF barColour_;
    COLORREF backgroundColour_;
    COLORREF textOverBackground_;
    COLORREF textOverBar_;
};

}  // namespace kinorex
