#include "kinorex_dlg.h"

#include <shellapi.h>

#include <string>
#include <thread>

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

CKinorexDlg::CKinorexDlg(std::unique_ptr<Converter> converter, std::vector<std::string> recordings)
    : ModalDialog(IDD_KINOREX_DIALOG),
      converter_(std::move(converter)),
      logic_(*this, *converter_),
      commandLineRecordings_(std::move(recordings)),
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
    if (!commandLineRecordings_.empty()) {
        logic_.addRecordings(commandLineRecordings_);
    }
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
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_SETCURSOR:
            if (!busy_) {
                return FALSE;
            }
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            SetWindowLongPtrW(window(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_CLOSE:
            // The close box and the system menu's Close: the only ways out, except while
            // the recordings are looked at, in a nested loop.
            if (!busy_) {
                endDialog(IDCANCEL);
            }
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

void CKinorexDlg::onDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(platform::narrow(path));
    }
    DragFinish(drop);
    // A drop that arrives while the recordings are looked at waits for the next one.
    if (!busy_) {
        logic_.addRecordings(paths);
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

// Windows' habit is a question of its own after the news.
bool CKinorexDlg::showFinishMessage(const std::string& text) {
    showMessage(text);
    return MessageBoxW(window(), L"Open the output folder?", L"Kinorex",
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CKinorexDlg::openFolder(const std::string& folder) {
    ShellExecuteW(window(), L"open", platform::widen(folder).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

std::optional<std::vector<std::string>> CKinorexDlg::pickSourceFiles() {
    return win32::pickRecordingFiles(window());
}

// The window is disabled rather than left alone: it still paints and moves, but neither
// a click nor a key can start anything until the work is done.
void CKinorexDlg::runBusy(const std::function<void()>& work) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        work();
        return;
    }
    busy_ = true;
    EnableWindow(window(), FALSE);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    std::thread worker([&] {
        work();
        SetEvent(done);
    });
    bool quit = false;
    int quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    worker.join();
    CloseHandle(done);
    EnableWindow(window(), TRUE);
    busy_ = false;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    // WM_QUIT belongs to the outermost loop.
    if (quit) {
        PostQuitMessage(quitCode);
    }
}

std::optional<std::string> CKinorexDlg::pickOutputFolder() {
    return win32::pickFolder(window(), L"Please select avi file path:");
}

std::optional<std::uint32_t> CKinorexDlg::runChannelDialog(const ChannelChoice& choice) {
    CDlgSelChnnl dialog(choice);
    if (dialog.DoModal(window()) != IDOK) {
        return std::nullopt;
    }
    return dialog.channelMask();
}

void CKinorexDlg::showPaths(const std::string& sourceText, const std::string& sourceToolTip,
                            const std::string& outputFolder) {
    SetDlgItemTextW(window(), IDC_EDIT_SOURCE, platform::widen(sourceText).c_str());
    toolTips_.set(window(), IDC_EDIT_SOURCE, sourceToolTip);
    SetDlgItemTextW(window(), IDC_EDIT_AVI_PATH, platform::widen(outputFolder).c_str());
}

void CKinorexDlg::showStatus(const std::string& line) {
    SetDlgItemTextW(window(), IDC_STATUS_LINE, platform::widen(line).c_str());
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
