// Drives a running kinorex.exe from outside, as a user would, through window
// messages only: it needs no hook in the program.
//
//   kinorex_dialog_driver set-paths SOURCE FOLDER   fill the two path fields
//   kinorex_dialog_driver drop FILE...              drop files or folders on the dialog
//   kinorex_dialog_driver start                     Start, until the channel dialog is open
//   kinorex_dialog_driver convert                   Start (unless the channel dialog is
//       open already); in the channel dialog
//       untick channel 1 and press OK with the mouse; wait for the closing
//       message, OK, decline to open the output folder, then close the dialog
//
// The mouse messages go through the channel dialog's message loop as a user's
// do, so they prove its rule for "All": a press sees the boxes as they were
// before the click.
//
// Exits 0 on success; otherwise says what it waited for in vain.
#include <windows.h>

#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "wait.h"

namespace {

using kinorex::test::waitUntil;

constexpr auto kTimeout = std::chrono::minutes(2);
constexpr int kStartButton = 1001;
constexpr int kSourceField = 1002;
constexpr int kFolderField = 1005;
constexpr int kAllBox = 1005;
constexpr int kChannel1Box = 1006;

// WM_GETTEXT rather than GetWindowText, which does not ask the controls of
// another process for their text.
std::wstring windowText(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// The main dialog: the dialog titled "Kinorex" that has a Start button (a
// message box carries the same title), once it is on the screen: it exists,
// with its controls, a moment before it has been initialised.
HWND findMainDialog() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM result) -> BOOL {
            if (windowText(window) == L"Kinorex" && GetDlgItem(window, kStartButton) != nullptr &&
                IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

struct OwnedSearch {
    HWND owner;
    const wchar_t* title;
    HWND found;
};

HWND findOwnedWindow(HWND owner, const wchar_t* title) {
    OwnedSearch search{owner, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& wanted = *reinterpret_cast<OwnedSearch*>(parameter);
            if (GetWindow(window, GW_OWNER) == wanted.owner && IsWindowVisible(window) &&
                windowText(window) == wanted.title) {
                wanted.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of a message box: its static control that has one.
std::wstring messageText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM result) -> BOOL {
            wchar_t className[16] = {};
            GetClassNameW(child, className, 16);
            const std::wstring childText = windowText(child);
            if (lstrcmpiW(className, L"Static") == 0 && !childText.empty()) {
                *reinterpret_cast<std::wstring*>(result) = childText;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

int fail(const char* what) {
    std::fprintf(stderr, "kinorex_dialog_driver: %s\n", what);
    return 1;
}

bool isTicked(HWND dialog, int boxId) {
    return SendMessageW(GetDlgItem(dialog, boxId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void mouseDown(HWND control) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
}

void mouseUp(HWND control) {
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// Unticks channel 1 with a click and presses OK with the mouse. The click on
// the box leaves "All" ticked (its press saw every channel ticked); the press
// on OK then unticks "All" before OK is released.
int untickChannel1AndOk(HWND channels) {
    HWND box = GetDlgItem(channels, kChannel1Box);
    mouseDown(box);
    mouseUp(box);
    if (!waitUntil([&] { return !isTicked(channels, kChannel1Box); }, kTimeout)) {
        return fail("a click did not untick channel 1");
    }
    if (!isTicked(channels, kAllBox)) {
        return fail("\"All\" was unticked by the press that unticked channel 1");
    }
    HWND ok = GetDlgItem(channels, IDOK);
    mouseDown(ok);
    if (!waitUntil([&] { return !isTicked(channels, kAllBox); }, kTimeout)) {
        return fail("a press with channel 1 unticked left \"All\" ticked");
    }
    mouseUp(ok);
    return 0;
}

// What a click on a dialog's button sends to the dialog.
void press(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

HWND waitForMainDialog() {
    HWND main = nullptr;
    waitUntil([&] { return (main = findMainDialog()) != nullptr; }, kTimeout);
    return main;
}

int setPaths(const wchar_t* source, const wchar_t* folder) {
    HWND main = waitForMainDialog();
    if (main == nullptr) {
        return fail("no main dialog titled \"Kinorex\" appeared");
    }
    const auto holds = [main](int field, const wchar_t* text) {
        SetDlgItemTextW(main, field, text);
        return windowText(GetDlgItem(main, field)) == text;
    };
    if (!waitUntil([&] { return holds(kSourceField, source) && holds(kFolderField, folder); },
                   kTimeout)) {
        return fail("the path fields did not take the paths");
    }
    return 0;
}

// The channel dialog, after pressing Start unless it is open already.
HWND openChannelDialog(HWND main) {
    HWND channels = findOwnedWindow(main, L"Channel Select");
    if (channels == nullptr) {
        press(main, kStartButton);
        waitUntil([&] { return (channels = findOwnedWindow(main, L"Channel Select")) != nullptr; },
                  kTimeout);
    }
    return channels;
}

int start() {
    HWND main = waitForMainDialog();
    if (main == nullptr) {
        return fail("no main dialog titled \"Kinorex\" appeared");
    }
    return openChannelDialog(main) != nullptr
               ? 0
               : fail("the channel selection dialog did not open after Start");
}

int convert() {
    HWND main = waitForMainDialog();
    if (main == nullptr) {
        return fail("no main dialog titled \"Kinorex\" appeared");
    }
    HWND channels = openChannelDialog(main);
    if (channels == nullptr) {
        return fail("the channel selection dialog did not open after Start");
    }
    if (const int failed = untickChannel1AndOk(channels)) {
        return failed;
    }

    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findOwnedWindow(main, L"Kinorex")) != nullptr; },
                   kTimeout)) {
        return fail("no message came after OK");
    }
    const std::wstring text = messageText(box);
    std::fprintf(stdout, "message: %ls\n", text.c_str());
    if (text != L"Finish") {
        return fail("the conversion did not end with \"Finish\"");
    }
    press(box, IDOK);
    HWND question = nullptr;
    if (!waitUntil(
            [&] {
                question = findOwnedWindow(main, L"Kinorex");
                return question != nullptr && question != box &&
                       messageText(question) == L"Open the output folder?";
            },
            kTimeout)) {
        return fail("no offer to open the output folder came after \"Finish\"");
    }
    press(question, IDNO);
    if (!waitUntil([&] { return IsWindowEnabled(GetDlgItem(main, kStartButton)) != 0; },
                   kTimeout)) {
        return fail("Start was not enabled again after \"Finish\"");
    }

    PostMessageW(main, WM_CLOSE, 0, 0);
    if (!waitUntil([&] { return IsWindow(main) == 0; }, kTimeout)) {
        return fail("the main dialog did not close");
    }
    return 0;
}

// What the shell hands a window that accepts files: a DROPFILES block with the paths after
// it, each ended by a zero and the list by a second one. The block is written into the
// dialog's own memory, where its DragQueryFile reads it.
int drop(const std::vector<std::wstring>& paths) {
    HWND main = waitForMainDialog();
    if (main == nullptr) {
        return fail("no main dialog titled \"Kinorex\" appeared");
    }
    std::vector<wchar_t> names;
    for (const auto& path : paths) {
        names.insert(names.end(), path.begin(), path.end());
        names.push_back(L'\0');
    }
    names.push_back(L'\0');
    DROPFILES header{};
    header.pFiles = sizeof(header);
    header.fWide = TRUE;
    std::vector<char> block(sizeof(header) + names.size() * sizeof(wchar_t));
    std::memcpy(block.data(), &header, sizeof(header));
    std::memcpy(block.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));

    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) {
        return fail("cannot open the dialog's process");
    }
    void* remote =
        VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written = remote != nullptr && WriteProcessMemory(process, remote, block.data(),
                                                                 block.size(), nullptr) != 0;
    CloseHandle(process);
    if (!written) {
        return fail("cannot write the dropped names into the dialog's process");
    }
    PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    const std::wstring expected = std::to_wstring(paths.size()) + L" recordings";
    if (!waitUntil([&] { return windowText(GetDlgItem(main, kSourceField)).starts_with(expected); },
                   kTimeout)) {
        return fail("the source field does not show the dropped recordings");
    }
    std::fprintf(stdout, "source field: %ls\n", windowText(GetDlgItem(main, kSourceField)).c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"set-paths" && argc == 4) {
        return setPaths(argv[2], argv[3]);
    }
    if (command == L"drop" && argc > 2) {
        return drop(std::vector<std::wstring>(argv + 2, argv + argc));
    }
    if (command == L"start" && argc == 2) {
        return start();
    }
    if (command == L"convert" && argc == 2) {
        return convert();
    }
    return fail(
        "usage: kinorex_dialog_driver set-paths SOURCE FOLDER | drop FILE... | start | convert");
}
