#include "text_progress_ctrl.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "mem_dc.h"
#include "platform/wide_string.h"

namespace kinorex {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

void fillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void drawClippedText(HDC dc, const std::wstring& text, RECT client, const RECT& clip,
                     COLORREF colour) {
    SelectClipRgn(dc, nullptr);
    // Logical coordinates: the memory context's origin is moved to the area
    // being repainted, which a region (in device coordinates) would ignore.
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, kTextFormat);
}

}  // namespace

CTextProgressCtrl::CTextProgressCtrl()
    : barColour_(GetSysColor(COLOR_HIGHLIGHT)),
      backgroundColour_(GetSysColor(COLOR_WINDOW)),
      textOverBackground_(barColour_),
      textOverBar_(backgroundColour_) {}

CTextProgressCtrl::~CTextProgressCtrl() {
    if (window_ != nullptr) {
        RemoveWindowSubclass(window_, &CTextProgressCtrl::subclassProc, kSubclassId);
    }
}

void CTextProgressCtrl::SubclassWindow(HWND control) {
    window_ = control;
    SetWindowSubclass(window_, &CTextProgressCtrl::subclassProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
}

void CTextProgressCtrl::SetRange(int lower, int upper) {
    model_.setRange(lower, upper);
}

void CTextProgressCtrl::SetShowText(bool shown) {
    if (model_.setTextShown(shown) && IsWindow(window_)) {
        InvalidateRect(window_, nullptr, TRUE);
    }
}

int CTextProgressCtrl::SetPos(int position) {
    if (window_ == nullptr || !IsWindow(window_)) {
        return -1;
    }
    const auto change = model_.setPosition(position, clientWidth());
    if (change.repaint) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return change.previous;
}

LRESULT CALLBACK CTextProgressCtrl::subclassProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR self) {
    auto* bar = reinterpret_cast<CTextProgressCtrl*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &CTextProgressCtrl::subclassProc, kSubclassId);
        bar->window_ = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return bar->handleMessage(message, wParam, lParam);
}

LRESULT CTextProgressCtrl::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            // Painting covers every pixel; erasing first would only flicker.
            return 1;
        case WM_PAINT:
            paint();
            return 0;
        case WM_SIZE: {
            const LRESULT result = DefSubclassProc(window_, message, wParam, lParam);
            model_.resized();
            return result;
        }
        case WM_SETTEXT:
            return takeText(wParam, lParam);
        case WM_GETTEXT:
            return copyText(wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(platform::widen(model_.text()).size());
        default:
            return DefSubclassProc(window_, message, wParam, lParam);
    }
}

void CTextProgressCtrl::paint() {
    PAINTSTRUCT paintStruct;
    HDC target = BeginPaint(window_, &paintStruct);
    if (model_.paintable()) {
        RECT client;
        GetClientRect(window_, &client);
        CMemDC memDc(target);
        HDC dc = memDc.dc();

        RECT bar = client;
        bar.right = client.left + model_.filledWidth(client.right - client.left);
        RECT empty = client;
        empty.left = bar.right;
        fillSolidRect(dc, bar, barColour_);
        fillSolidRect(dc, empty, backgroundColour_);

        if (const auto text = model_.paintedText()) {
            const std::wstring label = platform::widen(*text);
            // The dialog's font, as every other control of the dialog shows.
            auto font = reinterpret_cast<HFONT>(SendMessageW(GetParent(window_), WM_GETFONT, 0, 0));
            HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
            SetBkMode(dc, TRANSPARENT);
            drawClippedText(dc, label, client, bar, textOverBar_);
            drawClippedText(dc, label, client, empty, textOverBackground_);
            SelectClipRgn(dc, nullptr);
            if (previousFont != nullptr) {
                SelectObject(dc, previousFont);
            }
        }
    }
    EndPaint(window_, &paintStruct);
}

LRESULT CTextProgressCtrl::takeText(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(window_, WM_SETTEXT, wParam, lParam);
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    if (model_.setText(text != nullptr ? platform::narrow(text) : std::string())) {
        InvalidateRect(window_, nullptr, TRUE);
    }
    return result;
}

LRESULT CTextProgressCtrl::copyText(WPARAM size, LPARAM buffer) const {
    auto* destination = reinterpret_cast<wchar_t*>(buffer);
    if (destination == nullptr || size == 0) {
        return 0;
    }
    const std::wstring text = platform::widen(model_.text());
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    text.copy(destination, count);
    destination[count] = L'\0';
    return static_cast<LRESULT>(count);
}

int CTextProgressCtrl::clientWidth() const {
    RECT client;
    GetClientRect(window_, &client);
    return client.right - client.left;
}

}  // namespace kinorex
