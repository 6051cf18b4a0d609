#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "child_process.h"
#include "converter_factory.h"
#include "ffprobe.h"
#include "kinorex_dlg.h"
#include "media_files.h"
#include "recording_generator.h"
#include "temp_path.h"
#include "text_progress_ctrl.h"
#include "widget_test.h"

using kinorex::CKinorexDlg;
using kinorex::Converter;

namespace {

// What the test sees of its converter, also after the dialog has destroyed it.
struct ConverterRecord {
    std::vector<std::string> started;
    std::string sourcePath;
    std::uint32_t channelMask = 0;
    std::string outputPrefix;
    bool running = false;
    bool destroyed = false;
    std::vector<int> barAtStop;
};

// Finishes after three polls of 40% each; the dialog's timer drives it, so no
// thread is needed.
class PollingConverter : public Converter {
public:
    PollingConverter(std::shared_ptr<ConverterRecord> record,
                     const kinorex::CTextProgressCtrl*& bar)
        : record_(std::move(record)), bar_(bar) {}
    ~PollingConverter() override { record_->destroyed = true; }

    int Start(const char* sourcePath, std::uint32_t channelMask,
              const char* outputPrefix) override {
        record_->started.push_back(sourcePath);
        record_->sourcePath = sourcePath;
        progress_ = 0;
        record_->channelMask = channelMask;
        record_->outputPrefix = outputPrefix;
        record_->running = true;
        return 1;
    }
    void Stop() override {
        record_->running = false;
        record_->barAtStop.push_back(bar_->position());
    }
    int GetProgress() override { return progress_ += 40; }
    int IsFinished() override { return progress_ >= 100; }
    std::optional<kinorex::RecordingContents> inspect(const std::string&) override {
        kinorex::RecordingContents contents;
        for (auto& channel : contents.channels) {
            channel.hasVideo = 1;
        }
        return contents;
    }

private:
    std::shared_ptr<ConverterRecord> record_;
    const kinorex::CTextProgressCtrl*& bar_;
    int progress_ = 0;
};

// Records the position of a bar each time it is painted: what the user saw.
class PaintedPositions : public QObject {
public:
    explicit PaintedPositions(kinorex::CTextProgressCtrl& bar) : bar_(bar) {
        bar.installEventFilter(this);
    }

    std::vector<int> positions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            positions.push_back(bar_.position());
        }
        return false;
    }

private:
    const kinorex::CTextProgressCtrl& bar_;
};

// The main dialog with its modal requests answered by the test: messages are
// recorded instead of shown, pickers return preset paths, and the real channel
// dialog is closed with OK as soon as it is open.
class TestDialog : public CKinorexDlg {
public:
    struct Message {
        QString text;
        int barPosition;
        bool startEnabled;
        std::vector<int> paintedBefore;
    };

    explicit TestDialog(std::unique_ptr<Converter> converter)
        : CKinorexDlg(std::move(converter)), painted_(progressBar()) {}

    QPushButton* button(const char* name) { return findChild<QPushButton*>(name); }
    QLineEdit* edit(const char* name) { return findChild<QLineEdit*>(name); }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& message : messages) {
            texts << message.text;
        }
        return texts;
    }

    std::vector<Message> messages;
    QStringList statusLines;
    std::optional<std::string> sourceFile;
    std::optional<std::string> outputFolder;

protected:
    void showMessage(const std::string& text) override {
        messages.push_back({QString::fromStdString(text), progressBar().position(),
                            button("startButton")->isEnabled(), painted_.positions});
    }
    bool showFinishMessage(const std::string& text) override {
        showMessage(text);
        return false;
    }
    void showStatus(const std::string& line) override {
        statusLines << QString::fromStdString(line);
        CKinorexDlg::showStatus(line);
    }
    std::optional<std::vector<std::string>> pickSourceFiles() override {
        if (!sourceFile) {
            return std::nullopt;
        }
        return std::vector<std::string>{*sourceFile};
    }
    std::optional<std::string> pickOutputFolder() override { return outputFolder; }
    std::optional<std::uint32_t> runChannelDialog(const kinorex::ChannelChoice& choice) override {
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        return CKinorexDlg::runChannelDialog(choice);
    }

private:
    PaintedPositions painted_;
};

struct Fixture {
    Fixture() : record(std::make_shared<ConverterRecord>()) {
        dialog = std::make_unique<TestDialog>(std::make_unique<PollingConverter>(record, bar));
        bar = &dialog->progressBar();
        dialog->show();
    }

    void chooseRecording(const std::string& path) {
        dialog->sourceFile = path;
        QTest::mouseClick(dialog->button("browseSourceButton"), Qt::LeftButton);
    }

    std::shared_ptr<ConverterRecord> record;
    const kinorex::CTextProgressCtrl* bar = nullptr;
    std::unique_ptr<TestDialog> dialog;
};

// Start to "Finish" as the user sees it: Start disabled while converting, the
// bar painted at 100 and then at 0 before "Finish" is shown, and Start enabled
// again only after the message.
void runToFinish(TestDialog& dialog, const kinorex::CTextProgressCtrl& bar) {
    QTest::mouseClick(dialog.button("startButton"), Qt::LeftButton);
    QVERIFY(!dialog.button("startButton")->isEnabled());
    QVERIFY(dialog.button("stopButton")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(dialog.messageTexts(), QStringList{"Finish"}, 10000);
    QCOMPARE(dialog.messages.front().barPosition, 0);
    const std::vector<int>& painted = dialog.messages.front().paintedBefore;
    QVERIFY2(painted.size() >= 2 && painted.end()[-2] == 100 && painted.back() == 0,
             "the bar was not painted full and then empty");
    QVERIFY(!dialog.messages.front().startEnabled);
    QCOMPARE(bar.position(), 0);
    QVERIFY(dialog.button("startButton")->isEnabled());
    QVERIFY(!dialog.button("stopButton")->isEnabled());
}

}  // namespace

class MainDialogWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAndTabOrder() {
        Fixture f;
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Kinorex"));
        QVERIFY(f.dialog->button("startButton")->isEnabled());
        QVERIFY(!f.dialog->button("stopButton")->isEnabled());
        QVERIFY(f.dialog->edit("sourcePathEdit")->isReadOnly());

        QStringList chain;
        for (QWidget* w = f.dialog->nextInFocusChain(); w != f.dialog.get();
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus) {
                chain << w->objectName();
            }
        }
        QCOMPARE(chain,
                 (QStringList{"browseSourceButton", "browseOutputButton", "startButton",
                              "stopButton", "sourcePathEdit", "outputFolderEdit", "formatBox"}));
        QCOMPARE(f.dialog->findChild<QComboBox*>("formatBox")->currentText(), "AVI");
    }

    void startWithEmptyPathsAsksForSourceOnly() {
        Fixture f;
        QTest::mouseClick(f.dialog->button("startButton"), Qt::LeftButton);
        QCOMPARE(f.dialog->messageTexts(), QStringList{"Please select source file!"});
        QVERIFY(!f.record->running);
    }

    void enterAndEscapeDoNothing() {
        Fixture f;
        for (const char* name : {"startButton", "browseOutputButton"}) {
            QPushButton* button = f.dialog->button(name);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter);
            QTest::keyClick(button, Qt::Key_Escape);
        }
        QTest::keyClick(f.dialog->edit("sourcePathEdit"), Qt::Key_Return);
        QTest::keyClick(f.dialog->edit("sourcePathEdit"), Qt::Key_Escape);
        QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
        QVERIFY(f.dialog->isVisible());
        QVERIFY2(f.dialog->messages.empty(), "no button was pressed");
    }

    void conversionRunsToFinish() {
        Fixture f;
        f.chooseRecording("/rec/cam1.2010.h264");
        runToFinish(*f.dialog, *f.bar);
        QCOMPARE(f.record->sourcePath, "/rec/cam1.2010.h264");
        QCOMPARE(f.record->channelMask, 0xFFFFu);
        QCOMPARE(f.record->outputPrefix, "/rec/cam1.2010");
        QCOMPARE(f.record->barAtStop, std::vector<int>{100});
    }

    // Channels 1 and 3 speak, 2 is silent; the AVI files land next to the
    // recording, the default output folder.
    void realConversionRunsToFinish() {
        using kinorex::test::fixturePath;
        QVERIFY2(kinorex::test::ffmpegAvailable(),
                 "ffprobe and ffmpeg are needed (scripts/setup installs them)");
        const kinorex::test::TempPath folder("ui-conversion");
        std::filesystem::create_directories(folder.path());
        kinorex::tools::RecordingPlan plan;
        plan.output = folder.path() / "cam.2010.h264";
        plan.channels = {
            {.channelNumber = 1,
             .video = fixturePath("pal_352x288_25fps.264"),
             .speech = fixturePath("speech_1.s16")},
            {.channelNumber = 2, .video = fixturePath("pal_704x288_25fps.264")},
            {.channelNumber = 3,
             .video = fixturePath("pal_704x576_25fps.264"),
             .speech = fixturePath("speech_3.s16")},
        };
        kinorex::tools::generateRecording(plan);

        TestDialog dialog(kinorex::makeConverter());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.sourceFile = plan.output.string();
        QTest::mouseClick(dialog.button("browseSourceButton"), Qt::LeftButton);
        QCOMPARE(dialog.edit("outputFolderEdit")->text(), QString::fromStdString(folder.string()));
        runToFinish(dialog, dialog.progressBar());

        struct Expected {
            const char* file;
            const char* size[2];
            const char* pictures;
            std::optional<std::string> speech;
        };
        for (const Expected& expected : {
                 Expected{"cam.2010_1.avi", {"352", "288"}, "100", "speech_1.s16"},
                 Expected{"cam.2010_2.avi", {"704", "288"}, "75", std::nullopt},
                 Expected{"cam.2010_3.avi", {"704", "576"}, "100", "speech_3.s16"},
             }) {
            const std::string path = (folder.path() / expected.file).string();
            auto streams = kinorex::test::probeStreams(path);
            QCOMPARE(streams.size(), expected.speech ? 2u : 1u);
            QCOMPARE(streams[0]["codec_name"], "h264");
            QCOMPARE(streams[0]["width"], expected.size[0]);
            QCOMPARE(streams[0]["height"], expected.size[1]);
            QCOMPARE(streams[0]["r_frame_rate"], "25/1");
            QCOMPARE(streams[0]["nb_read_packets"], expected.pictures);
            if (expected.speech) {
                const auto voiceFrames =
                    kinorex::test::loadS16(fixturePath(*expected.speech)).size() /
                    kinorex::tools::kVoiceFrameSamples;
                QCOMPARE(streams[1]["codec_name"], "pcm_s16le");
                QCOMPARE(streams[1]["sample_rate"], "8000");
                QCOMPARE(streams[1]["channels"], "1");
                QCOMPARE(streams[1]["nb_read_packets"], std::to_string(voiceFrames));
            }
            QCOMPARE(kinorex::test::decodeErrors(path), "");
        }
        QStringList written;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            written << QString::fromStdString(entry.path().filename().string());
        }
        written.sort();
        QCOMPARE(written, (QStringList{"cam.2010.h264", "cam.2010_1.avi", "cam.2010_2.avi",
                                       "cam.2010_3.avi"}));
    }

    // Dropped files join the list; one Start converts them one after another, the line
    // under the bar naming each, and "Finish" comes once, after the last.
    void droppedRecordingsRunOneAfterAnother() {
        Fixture f;
        f.chooseRecording("/rec/cam1.h264");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/rec/cam2.h264"), QUrl(QStringLiteral("https://x/y"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.dialog.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.dialog.get(), &drop);
        QCOMPARE(f.dialog->edit("sourcePathEdit")->text(), "2 recordings in /rec");
        QCOMPARE(f.dialog->edit("sourcePathEdit")->toolTip(), "/rec/cam1.h264\n/rec/cam2.h264");

        QTest::mouseClick(f.dialog->button("startButton"), Qt::LeftButton);
        QCOMPARE(f.dialog->findChild<QLabel*>("statusLine")->text(), "Recording 1 of 2: cam1.h264");
        QTRY_COMPARE_WITH_TIMEOUT(f.dialog->messageTexts(), QStringList{"Finish"}, 10000);
        QCOMPARE(f.record->started, (std::vector<std::string>{"/rec/cam1.h264", "/rec/cam2.h264"}));
        QCOMPARE(f.dialog->statusLines,
                 (QStringList{"Recording 1 of 2: cam1.h264", "Recording 2 of 2: cam2.h264", ""}));
        QVERIFY(f.dialog->button("startButton")->isEnabled());
    }

    // Two copies of the sample dropped, one Start: the dialog writes what the command line
    // writes for the same two recordings, byte for byte.
    void droppedRecordingsConvertAsTheCommandLineDoes() {
        const kinorex::test::TempPath folder("ui-dropped");
        std::filesystem::create_directories(folder.path() / "cli");
        QList<QUrl> urls;
        std::vector<std::string> sources;
        for (const char* name : {"cam1.h264", "cam2.h264"}) {
            std::filesystem::copy_file(KINOREX_SOURCE_DIR "/samples/sample.h264",
                                       folder.path() / name);
            sources.push_back((folder.path() / name).string());
            urls << QUrl::fromLocalFile(QString::fromStdString(sources.back()));
        }
        TestDialog dialog(kinorex::makeConverter());
        dialog.show();
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &drop);
        QCOMPARE(dialog.edit("sourcePathEdit")->text(),
                 "2 recordings in " + QString::fromStdString(folder.string()));
        QTest::mouseClick(dialog.button("startButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.messageTexts(), QStringList{"Finish"}, 30000);
        QCOMPARE(dialog.statusLines,
                 (QStringList{"Recording 1 of 2: cam1.h264", "Recording 2 of 2: cam2.h264", ""}));

        std::vector<std::string> arguments{"-q", "-o", (folder.path() / "cli").string()};
        arguments.insert(arguments.end(), sources.begin(), sources.end());
        kinorex::test::ChildProcess cli(KINOREX_BIN_DIR "/kinorex-convert", arguments);
        QCOMPARE(cli.wait().exitStatus, 0);
        int compared = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "cli")) {
            const auto name = entry.path().filename();
            QVERIFY2(kinorex::test::readFileBytes(folder.path() / name) ==
                         kinorex::test::readFileBytes(entry.path()),
                     name.string().c_str());
            ++compared;
        }
        QCOMPARE(compared, 8);  // four channels with video in each of the two
    }

    void closingDuringConversionDestroysConverter() {
        Fixture f;
        f.chooseRecording("/rec/cam1.h264");
        QTest::mouseClick(f.dialog->button("startButton"), Qt::LeftButton);
        QVERIFY(f.record->running);
        f.dialog->close();
        QVERIFY(!f.dialog->isVisible());
        QVERIFY(f.dialog->messages.empty());
        f.dialog.reset();
        QVERIFY(f.record->destroyed);
    }

    void contextMenuOffersAboutBox() {
        Fixture f;
        QString entry;
        QTimer::singleShot(0, [&entry] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            entry = menu->actions().value(0)->text();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                f.dialog->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(f.dialog.get(), &event);
        QCOMPARE(entry, QStringLiteral("关于 Kinorex(&A)..."));
    }
};

KINOREX_WIDGET_TEST(MainDialogWidgetTest)
#include "main_dialog_widget_test.moc"
