#pragma once

#include <memory>

#include "converter.h"
#include "main_dialog_logic.h"
#include "main_dialog_platform.h"
#include "modal_dialog.h"
#include "text_progress_ctrl.h"

namespace kinorex {

// The program's one window: choose a recording and an output folder, Start,
// watch the bar until "Finish". It owns the converter for its whole life, so
// closing it during a conversion stops the conversion. MainDialogLogic decides
// everything; this class only puts the logic's requests on the screen.
class CKinorexDlg : public win32::ModalDialog, private MainDialogPlatform {
public:
    explicit CKinorexDlg(std::unique_ptr<Converter> converter);
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
    std::optional<std::string> pickSourceFile() override;
    std::optional<std::string> pickOutputFolder() override;
    std::optional<std::uint32_t> runChannelDialog() override;
    void showPaths(const std::string& sourcePath, const std::string& outputFolder) override;
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
    void addAboutEntry();
    void paintMinimised();
    void enableButton(int controlId, bool enabled);
    std::string fieldText(int controlId) const;

    // Declared first so that it is destroyed last, after everything that uses it.
    std::unique_ptr<Converter> converter_;
    MainDialogLogic logic_;
    CTextProgressCtrl progressBar_;
    HICON icon_;
};

}  // namespace kinorex
