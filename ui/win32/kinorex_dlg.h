#pragma once

#include <memory>
#include <string>
#include <vector>

#include "converter.h"
#include "main_dialog_logic.h"
#include "main_dialog_platform.h"
#include "modal_dialog.h"
#include "text_progress_ctrl.h"
#include "tool_tips.h"

namespace kinorex {

// The program's one window: choose recordings (Browse, dropped files and folders, the
// command line) and an output folder, Start, watch the bar until "Finish". It owns the converter
// for its whole life, so closing it during a conversion stops the conversion. MainDialogLogic
// decides everything; this class only puts the logic's requests on the screen.
class CKinorexDlg : public win32::ModalDialog, private MainDialogPlatform {
public:
    // `recordings`: files and folders named on the command line (UTF-8).
    CKinorexDlg(std::unique_ptr<Converter> converter, std::vector<std::string> recordings);
    ~CKinorexDlg() override;

protected:
    // Enter and Escape go to the focused control as ordinary keys: neither
    // closes the dialog or presses a button.
    bool PreTranslateMessage(MSG& message) override;
    BOOL OnInitDialog() override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void showMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    bool showFinishMessage(const std::string& text) override;
    void openFolder(const std::string& folder) override;
    std::optional<std::vector<std::string>> pickSourceFiles() override;
    std::optional<std::string> pickOutputFolder() override;
    std::optional<std::uint32_t> runChannelDialog(const ChannelChoice& choice) override;
    void runBusy(const std::function<void()>& work) override;
    void showPaths(const std::string& sourceText, const std::string& sourceToolTip,
                   const std::string& outputFolder) override;
    void showStatus(const std::string& line) override;
    void setStartEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setProgressRange(int lower, int upper) override;
    void setProgressTextShown(bool shown) override;
    void setProgressPosition(int position) override;
    void armTimer(int timerId, int milliseconds) override;
    void disarmTimer(int timerId) override;

    bool onCommand(int controlId);
    void fillFormatBox();
    void onFormatChosen();
    void onDropFiles(HDROP drop);
    void addAboutEntry();
    void paintMinimised();
    void enableButton(int controlId, bool enabled);
    std::string fieldText(int controlId) const;

    // Declared first so that it is destroyed last, after everything that uses it.
    std::unique_ptr<Converter> converter_;
    MainDialogLogic logic_;
    CTextProgressCtrl progressBar_;
    win32::ToolTips toolTips_;
    std::vector<std::string> commandLineRecordings_;
    HICON icon_;
    // While the recordings are looked at: the window takes no input and shows the wait cursor.
    bool busy_ = false;
};

}  // namespace kinorex
