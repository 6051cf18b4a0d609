#pragma once

#include <QDialog>
#include <QMessageBox>
#include <memory>

#include "converter.h"
#include "dialog_units.h"
#include "main_dialog_logic.h"
#include "main_dialog_platform.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kinorex {

class CTextProgressCtrl;

// The program's one window: choose recordings (Browse, dropped files and folders, the
// command line) and an output folder, Start, watch the bar until "Finish". It owns the converter
// for its whole life, so closing it during a conversion stops the conversion. MainDialogLogic
// decides everything; this class only puts the logic's requests on the screen.
//
// The modal requests (messages, pickers, the channel dialog) are virtual so
// that tests can answer them without a real modal window.
class CKinorexDlg : public QDialog, protected MainDialogPlatform {
    Q_OBJECT

public:
    explicit CKinorexDlg(std::unique_ptr<Converter> converter, QWidget* parent = nullptr);
    ~CKinorexDlg() override;

    CTextProgressCtrl& progressBar() { return *progressBar_; }
    // Recordings named on the command line, or dropped: files and folders.
    void addRecordings(const QStringList& paths);

protected:
    void showMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    bool showFinishMessage(const std::string& text) override;
    void openFolder(const std::string& folder) override;
    std::optional<std::vector<std::string>> pickSourceFiles() override;
    std::optional<std::string> pickOutputFolder() override;
    std::optional<std::uint32_t> runChannelDialog(const ChannelChoice& choice) override;
    void runBusy(const std::function<void()>& work) override;
    void showStatus(const std::string& line) override;

    // While the recordings are looked at, closing waits: the look runs in a nested loop.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Enter and Escape neither close the dialog nor press a button.
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // Where there is no system menu, the about entry lives here.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showBox(QMessageBox::Icon icon, const std::string& text);
    void showPaths(const std::string& sourceText, const std::string& sourceToolTip,
                   const std::string& outputFolder) override;
    void setStartEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setProgressRange(int lower, int upper) override;
    void setProgressTextShown(bool shown) override;
    void setProgressPosition(int position) override;
    void armTimer(int timerId, int milliseconds) override;
    void disarmTimer(int timerId) override;

    void createControls();
    void makeFormatBox(DialogBaseUnits base);

    // Declared first so that it is destroyed last, after everything that uses it.
    std::unique_ptr<Converter> converter_;
    MainDialogLogic logic_;
    QPushButton* browseSourceButton_ = nullptr;
    QPushButton* browseOutputButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLineEdit* sourcePathEdit_ = nullptr;
    QLineEdit* outputFolderEdit_ = nullptr;
    CTextProgressCtrl* progressBar_ = nullptr;
    QLabel* statusLine_ = nullptr;
    bool busy_ = false;
    // Qt's id of the armed progress timer; 0 while none is armed.
    int progressTimer_ = 0;  // Qt's id
    int logicTimerId_ = 0;   // the id the logic armed it with
};

}  // namespace kinorex
