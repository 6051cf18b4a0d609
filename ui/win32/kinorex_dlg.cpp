#include "kinorex_dlg.h"

#include <string>

#include "about_dlg.h"
#include "dlg_sel_chnnl.h"
#include "file_pickers.h"
#include "platform/wide_string.h"
#include "resource_ids.h"

namespace kinorex {

namespace {

bool isEnterOrEscapeDown(const MSG& message) {
    return message.message == WM_KEYDOWN &&
           (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

}  // namespace

CKinorexDlg::CKinorexDlg(std::unique_ptr<Converter> converter)
    : ModalDialog(IDD_KINOREX_DIALOG),
      converter_(std::move(converter)),
      logic_(*this, *converter_),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CKinorexDlg::~CKinorexDlg() = default;

bool CKinorexDlg::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == window() || IsChild(window(), message.hwnd) != 0;
    if (ours && isEnterOrEscapeDown(message)) {
        return false;
    }
    return ModalDialog::PreTranslateMessage(message);
}

BOOL CKinorexDlg::OnInitDialog() {
    addAboutEntry();
    SendMessageW(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    progressBar_.SubclassWindow(GetDlgItem(window(), IDC_PROGRESS));
    fillFormatBox();
    logic_.initialise();
    return TRUE;
}

INT_PTR CKinorexDlg::handleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                CAboutDlg about;
                about.DoModal(window());
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            if (!IsIconic(window())) {
                return FALSE;
            }
            paintMinimised();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_COMBO_FORMAT && HIWORD(wParam) == CBN_SELCHANGE) {
                onFormatChosen();
                return TRUE;
            }
            // The edit fields' notifications are not ours to handle.
            return HIWORD(wParam) == BN_CLICKED && onCommand(LOWORD(wParam)) ? TRUE : FALSE;
        case WM_TIMER:
            logic_.timerTick(static_cast<int>(wParam));
            return FALSE;
        case WM_CLOSE:
            // The close box and the system menu's Close: the only ways out.
            endDialog(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

bool CKinorexDlg::onCommand(int controlId) {
    switch (controlId) {
        case IDC_BTN_START:
            logic_.setPaths(fieldText(IDC_EDIT_SOURCE), fieldText(IDC_EDIT_AVI_PATH));
            logic_.start();
            return true;
        case IDC_BTN_STOP:
            logic_.stop();
            return true;
        case IDC_BTN_BROWSE_SOURCE:
            logic_.chooseSource();
            return true;
        case IDC_BTN_BROWSE_AVI_PATH:
            logic_.chooseOutputFolder();
            return true;
        case IDOK:
        case IDCANCEL:
            // Enter and Escape never end this dialog; the close box does.
            return true;
        default:
            return false;
    }
}

// Each entry carries its format; the first, AVI, is chosen.
void CKinorexDlg::fillFormatBox() {
    HWND box = GetDlgItem(window(), IDC_COMBO_FORMAT);
    for (const auto& choice : MainDialogLogic::formatChoices()) {
        const std::wstring label(choice.label.begin(), choice.label.end());
        const LRESULT index =
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
        SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index),
                     static_cast<LPARAM>(choice.format));
    }
    SendMessageW(box, CB_SETCURSEL, 0, 0);
}

void CKinorexDlg::onFormatChosen() {
    HWND box = GetDlgItem(window(), IDC_COMBO_FORMAT);
    const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) {
        logic_.chooseFormat(static_cast<OutputFormat>(
            SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
    }
}

void CKinorexDlg::addAboutEntry() {
    HMENU systemMenu = GetSystemMenu(window(), FALSE);
    if (systemMenu == nullptr) {
        return;
    }
    wchar_t text[128] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) > 0) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

void CKinorexDlg::paintMinimised() {
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window(), &paintStruct);
    SendMessageW(window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window(), &paintStruct);
}

std::string CKinorexDlg::fieldText(int controlId) const {
    HWND field = GetDlgItem(window(), controlId);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    return platform::narrow(text);
}

void CKinorexDlg::showMessage(const std::string& text) {
    MessageBoxW(window(), platform::widen(text).c_str(), L"Kinorex", MB_OK);
}

void CKinorexDlg::showWarning(const std::string& text) {
    MessageBoxW(window(), platform::widen(text).c_str(), L"Kinorex", MB_OK | MB_ICONWARNING);
}

std::optional<std::string> CKinorexDlg::pickSourceFile() {
    return win32::pickRecordingFile(window());
}

std::optional<std::string> CKinorexDlg::pickOutputFolder() {
    return win32::pickFolder(window(), L"Please select avi file path:");
}

std::optional<std::uint32_t> CKinorexDlg::runChannelDialog() {
    CDlgSelChnnl dialog;
    if (dialog.DoModal(window()) != IDOK) {
        return std::nullopt;
    }
    return dialog.channelMask();
}

void CKinorexDlg::showPaths(const std::string& sourcePath, const std::string& outputFolder) {
    SetDlgItemTextW(window(), IDC_EDIT_SOURCE, platform::widen(sourcePath).c_str());
    SetDlgItemTextW(window(), IDC_EDIT_AVI_PATH, platform::widen(outputFolder).c_str());
}

void CKinorexDlg::setStartEnabled(bool enabled) {
    enableButton(IDC_BTN_START, enabled);
}

void CKinorexDlg::setStopEnabled(bool enabled) {
    enableButton(IDC_BTN_STOP, enabled);
}

// A button that goes grey while it has the focus first hands the focus on, so
// that the keyboard is not left without a control.
void CKinorexDlg::enableButton(int controlId, bool enabled) {
    HWND button = GetDlgItem(window(), controlId);
    if (!enabled && GetFocus() == button) {
        SendMessageW(window(), WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(button, enabled ? TRUE : FALSE);
}

void CKinorexDlg::setProgressRange(int lower, int upper) {
    progressBar_.SetRange(lower, upper);
}

void CKinorexDlg::setProgressTextShown(bool shown) {
    progressBar_.SetShowText(shown);
}

void CKinorexDlg::setProgressPosition(int position) {
    progressBar_.SetPos(position);
}

void CKinorexDlg::armTimer(int timerId, int milliseconds) {
    SetTimer(window(), static_cast<UINT_PTR>(timerId), static_cast<UINT>(milliseconds), nullptr);
}

void CKinorexDlg::disarmTimer(int timerId) {
    KillTimer(window(), static_cast<UINT_PTR>(timerId));
}

}  // namespace kinorex
