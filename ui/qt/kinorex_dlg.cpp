#include "kinorex_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>
#include <thread>

#include "about_dlg.h"
#include "app_icon.h"
#include "dialog_geometry.h"
#include "dlg_sel_chnnl.h"
#include "text_progress_ctrl.h"

namespace kinorex {

namespace {

constexpr int kFontPointSize = 9;
constexpr int kWidthUnits = 234;
constexpr int kHeightUnits = 121;

// Paths travel as the file system's bytes: what the converter opens must be
// exactly what the picker returned.
std::string toNativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& name,
                        const DialogRect& rect, DialogBaseUnits base) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Not even a focused button reacts to Enter in this dialog.
    button->setAutoDefault(false);
    placeControl(*button, rect, base);
    return button;
}

QLineEdit* makePathEdit(QWidget* parent, const QString& name, const DialogRect& rect,
                        DialogBaseUnits base) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // The paths change only through the Browse buttons.
    edit->setReadOnly(true);
    placeControl(*edit, rect, base);
    return edit;
}

void makeLabel(QWidget* parent, const QString& text, const DialogRect& rect, DialogBaseUnits base) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    placeControl(*label, rect, base);
    // A caption wider than its template grows to the left, keeping its right
    // edge beside the field it names.
    const int missing = label->sizeHint().width() - label->width();
    if (missing > 0) {
        label->setGeometry(label->geometry().adjusted(-std::min(missing, label->x()), 0, 0, 0));
    }
}

// The local files among dropped URLs, as absolute paths.
QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

}  // namespace

CKinorexDlg::CKinorexDlg(std::unique_ptr<Converter> converter, QWidget* parent)
    : QDialog(parent), converter_(std::move(converter)), logic_(*this, *converter_) {
    setObjectName(QStringLiteral("CKinorexDlg"));
    setWindowTitle(QStringLiteral("Kinorex"));
    setWindowIcon(appIcon());
    // A caption with a close box only: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(dialogFont(kFontPointSize));
    setAcceptDrops(true);
    createControls();

    connect(browseSourceButton_, &QPushButton::clicked, this, [this] { logic_.chooseSource(); });
    connect(browseOutputButton_, &QPushButton::clicked, this,
            [this] { logic_.chooseOutputFolder(); });
    connect(startButton_, &QPushButton::clicked, this, [this] { logic_.start(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { logic_.stop(); });

    logic_.initialise();
}

CKinorexDlg::~CKinorexDlg() = default;

// In the template's order, which is also the tab order.
void CKinorexDlg::createControls() {
    const DialogBaseUnits base = baseUnitsOf(font());
    browseSourceButton_ = makeButton(this, QStringLiteral("Browse"),
                                     QStringLiteral("browseSourceButton"), {193, 22, 33, 16}, base);
    browseOutputButton_ = makeButton(this, QStringLiteral("Browse"),
                                     QStringLiteral("browseOutputButton"), {193, 44, 33, 16}, base);
    startButton_ = makeButton(this, QStringLiteral("Start"), QStringLiteral("startButton"),
                              {65, 94, 40, 16}, base);
    stopButton_ = makeButton(this, QStringLiteral("Stop"), QStringLiteral("stopButton"),
                             {127, 95, 40, 16}, base);
    sourcePathEdit_ = makePathEdit(this, QStringLiteral("sourcePathEdit"), {57, 22, 133, 16}, base);
    makeLabel(this, QStringLiteral("Source file:"), {14, 25, 36, 11}, base);
    makeLabel(this, QStringLiteral("Progress:"), {7, 71, 42, 13}, base);
    progressBar_ = new CTextProgressCtrl(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    placeControl(*progressBar_, {57, 68, 133, 15}, base);
    makeLabel(this, QStringLiteral("AVIFilePath:"), {7, 47, 42, 13}, base);
    outputFolderEdit_ =
        makePathEdit(this, QStringLiteral("outputFolderEdit"), {57, 44, 133, 16}, base);
    // Under the bar, in the gap above Start; empty, and so unseen, for one recording.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    placeControl(*statusLine_, {57, 84, 170, 9}, base);
    makeFormatBox(base);
    setFixedSize(clientSize(kWidthUnits, kHeightUnits, base));
}

// Beside the Stop button, under the Browse buttons, where the layout had room.
void CKinorexDlg::makeFormatBox(DialogBaseUnits base) {
    auto* box = new QComboBox(this);
    box->setObjectName(QStringLiteral("formatBox"));
    box->setToolTip(QStringLiteral("AVI and MKV keep the voice as PCM; MP4 plays in browsers"));
    for (const auto& choice : MainDialogLogic::formatChoices()) {
        box->addItem(QString::fromLatin1(choice.label.data(), choice.label.size()),
                     static_cast<int>(choice.format));
    }
    placeControl(*box, {186, 95, 40, 15}, base);
    connect(box, &QComboBox::currentIndexChanged, this, [this, box](int index) {
        logic_.chooseFormat(static_cast<OutputFormat>(box->itemData(index).toInt()));
    });
}

void CKinorexDlg::showMessage(const std::string& text) {
    showBox(QMessageBox::NoIcon, text);
}

void CKinorexDlg::showWarning(const std::string& text) {
    showBox(QMessageBox::Warning, text);
}

void CKinorexDlg::showBox(QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QStringLiteral("Kinorex"), QString::fromStdString(text), QMessageBox::Ok,
                    this);
    box.exec();
}

bool CKinorexDlg::showFinishMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kinorex"), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    QPushButton* open = box.addButton(QStringLiteral("Open Folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("openFolderButton"));
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == open;
}

void CKinorexDlg::openFolder(const std::string& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(fromNativePath(folder)));
}

std::optional<std::vector<std::string>> CKinorexDlg::pickSourceFiles() {
    QFileDialog dialog(this, QString(), QString(), QStringLiteral("h264 files (*.h264)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(QStringLiteral("h264"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) {
        paths.push_back(toNativePath(path));
    }
    return paths;
}

void CKinorexDlg::addRecordings(const QStringList& paths) {
    std::vector<std::string> native;
    for (const QString& path : paths) {
        native.push_back(toNativePath(QFileInfo(path).absoluteFilePath()));
    }
    logic_.addRecordings(native);
}

void CKinorexDlg::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CKinorexDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CKinorexDlg::dropEvent(QDropEvent* event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    addRecordings(paths);
}

// A local event loop keeps the window painting while the work runs; user input waits, so
// nothing can start a second time or change the recordings under the work.
void CKinorexDlg::runBusy(const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    busy_ = false;
    QApplication::restoreOverrideCursor();
}

std::optional<std::string> CKinorexDlg::pickOutputFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Please select avi file path:"));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return toNativePath(folder);
}

std::optional<std::uint32_t> CKinorexDlg::runChannelDialog(const ChannelChoice& choice) {
    CDlgSelChnnl dialog(this, choice);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.channelMask();
}

void CKinorexDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CKinorexDlg::timerEvent(QTimerEvent* event) {
    if (progressTimer_ != 0 && event->timerId() == progressTimer_) {
        logic_.timerTick(logicTimerId_);
        return;
    }
    QDialog::timerEvent(event);
}

void CKinorexDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("关于 Kinorex(&A)..."), this, [this] {
        CAboutDlg about(this);
        about.exec();
    });
    menu.exec(event->globalPos());
}

void CKinorexDlg::showPaths(const std::string& sourceText, const std::string& sourceToolTip,
                            const std::string& outputFolder) {
    sourcePathEdit_->setText(fromNativePath(sourceText));
    sourcePathEdit_->setToolTip(fromNativePath(sourceToolTip));
    outputFolderEdit_->setText(fromNativePath(outputFolder));
}

void CKinorexDlg::showStatus(const std::string& line) {
    statusLine_->setText(fromNativePath(line));
}

void CKinorexDlg::setStartEnabled(bool enabled) {
    startButton_->setEnabled(enabled);
}

void CKinorexDlg::setStopEnabled(bool enabled) {
    stopButton_->setEnabled(enabled);
}

void CKinorexDlg::setProgressRange(int lower, int upper) {
    progressBar_->setRange(lower, upper);
}

void CKinorexDlg::setProgressTextShown(bool shown) {
    progressBar_->setTextShown(shown);
}

void CKinorexDlg::setProgressPosition(int position) {
    progressBar_->setPosition(position);
}

// The logic has a single timer; Qt numbers its timers itself, so the dialog
// remembers which id of the logic's Qt's timer stands for.
void CKinorexDlg::armTimer(int timerId, int milliseconds) {
    disarmTimer(timerId);
    progressTimer_ = startTimer(milliseconds);
    logicTimerId_ = timerId;
}

void CKinorexDlg::disarmTimer(int /*timerId*/) {
    if (progressTimer_ != 0) {
        killTimer(progressTimer_);
        progressTimer_ = 0;
    }
}

}  // namespace kinorex
