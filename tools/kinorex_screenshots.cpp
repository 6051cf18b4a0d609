// Renders the dialogs to PNG files for the documentation:
//   kinorex_screenshots <output folder>
// Run it on the offscreen platform (QT_QPA_PLATFORM=offscreen) so that no
// display is needed and the pictures do not depend on a desktop's theme.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <cstdio>

#include "converter_factory.h"
#include "dlg_sel_chnnl.h"
#include "kinorex_dlg.h"
#include "text_progress_ctrl.h"

namespace {

// The main dialog as a user sees it after choosing a recording.
class ExampleDialog : public kinorex::CKinorexDlg {
public:
    ExampleDialog() : CKinorexDlg(kinorex::makeConverter()) {
        findChild<QPushButton*>(QStringLiteral("browseSourceButton"))->click();
    }

protected:
    std::optional<std::vector<std::string>> pickSourceFiles() override {
        return std::vector<std::string>{"/home/user/recordings/cam1.2010-06-12.h264"};
    }
};

// The main dialog in the middle of a run over a folder of twelve recordings.
class RunningDialog : public kinorex::CKinorexDlg {
public:
    RunningDialog() : CKinorexDlg(kinorex::makeConverter()) {
        QStringList recordings;
        for (int i = 1; i <= 12; ++i) {
            recordings << QStringLiteral("/home/user/export/cam%1.h264").arg(i);
        }
        addRecordings(recordings);
        showStatus("Recording 2 of 12: cam2.h264");
        progressBar().setPosition(37);
        findChild<QPushButton*>(QStringLiteral("startButton"))->setEnabled(false);
        findChild<QPushButton*>(QStringLiteral("stopButton"))->setEnabled(true);
    }
};

// What the channel dialog offers for the bundled sample: four channels, three with voice.
kinorex::ChannelChoice sampleChoice() {
    kinorex::RecordingContents sample;
    sample.scannedWhole = true;
    for (int i = 0; i < 4; ++i) {
        sample.channels[i] = {.frameRate = 25,
                              .width = 704,
                              .height = 576,
                              .hasVideo = 1,
                              .audioChannel = i + 1,
                              .hasAudio = i != 2,
                              .videoFrames = 100};
    }
    return kinorex::channelChoice({sample});
}

bool save(QWidget& widget, const QDir& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "kinorex_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kinorex_screenshots <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    ExampleDialog mainDialog;
    RunningDialog runningDialog;
    kinorex::CDlgSelChnnl channelDialog(nullptr, sampleChoice());

    kinorex::CTextProgressCtrl bar;
    bar.setFont(mainDialog.progressBar().font());
    bar.resize(mainDialog.progressBar().size());
    bar.setRange(0, 100);
    bar.setPosition(37);

    const bool saved = save(mainDialog, folder, QStringLiteral("main-dialog.png")) &&
                       save(runningDialog, folder, QStringLiteral("main-dialog-run.png")) &&
                       save(channelDialog, folder, QStringLiteral("channel-dialog.png")) &&
                       save(bar, folder, QStringLiteral("progress-bar-37.png"));
    return saved ? 0 : 1;
}
