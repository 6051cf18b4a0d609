#include "main_dialog_logic.h"

#include <algorithm>

#include "output_clashes.h"
#include "output_naming.h"

namespace kinorex {

std::vector<MainDialogLogic::FormatChoice> MainDialogLogic::formatChoices() {
    std::vector<FormatChoice> choices;
    for (const FormatChoice choice :
         {FormatChoice{"AVI", OutputFormat::Avi}, FormatChoice{"MP4", OutputFormat::Mp4},
          FormatChoice{"MKV", OutputFormat::Mkv}}) {
        if (formatBuiltIn(choice.format)) {
            choices.push_back(choice);
        }
    }
    return choices;
}

MainDialogLogic::MainDialogLogic(MainDialogPlatform& platform, Converter& converter)
    : platform_(platform), converter_(converter) {}

void MainDialogLogic::initialise() {
    platform_.setProgressRange(0, 100);
    platform_.setProgressTextShown(true);
    enterState(State::Idle);
}

void MainDialogLogic::setPaths(std::string sourceText, std::string outputFolder) {
    if (sourceText != sourceFieldText(recordings_.paths())) {
        recordings_.clear();
        recordings_.add({std::move(sourceText)});
    }
    outputFolder_ = std::move(outputFolder);
}

void MainDialogLogic::chooseSource() {
    auto paths = platform_.pickSourceFiles();
    if (!paths || paths->empty()) {
        return;
    }
    recordings_.clear();
    addRecordings(*paths);
}

void MainDialogLogic::addRecordings(const std::vector<std::string>& paths) {
    recordings_.add(paths);
    // A folder the user already chose is kept: only an empty one follows the first recording.
    if (outputFolder_.empty() && !recordings_.empty()) {
        outputFolder_ = defaultOutputFolder(recordings_.paths().front());
    }
    showPaths();
}

void MainDialogLogic::chooseOutputFolder() {
    auto folder = platform_.pickOutputFolder();
    if (!folder) {
        return;
    }
    outputFolder_ = std::move(*folder);
    showPaths();
}

void MainDialogLogic::showPaths() {
    platform_.showPaths(sourceFieldText(recordings_.paths()),
                        sourceFieldToolTip(recordings_.paths()), outputFolder_);
}

void MainDialogLogic::start() {
    if (recordings_.empty()) {
        platform_.showMessage("Please select source file!");
        return;
    }
    if (outputFolder_.empty()) {
        platform_.showMessage("Please select avi file path!");
        return;
    }
    // Loads FFmpeg only now, when a conversion is to write MP4 or Matroska.
    if (const auto reason = formatUnavailable(format_)) {
        platform_.showWarning(*reason);
        return;
    }
    const auto clashes =
        describeOutputClashes(recordings_.paths(), outputFolder_, formatName(format_));
    if (!clashes.empty()) {
        platform_.showMessage(headedList("Some recordings would write the same files:", clashes));
        return;
    }
    std::vector<std::string> readable;
    std::vector<std::string> unreadable;
    const auto contents = inspectRecordings(readable, unreadable);
    if (!contents) {
        return;
    }
    const auto mask = platform_.runChannelDialog(channelChoice(*contents));
    if (!mask) {
        return;
    }
    if (*mask == 0) {
        platform_.showMessage("Please select channel number");
        return;
    }
    run_.emplace(std::move(readable), *mask, outputFolder_, recordings_.paths().size());
    for (const auto& recording : unreadable) {
        run_->noteFailed(recording);
    }
    startNext();
}

std::optional<std::vector<RecordingContents>> MainDialogLogic::inspectRecordings(
    std::vector<std::string>& readable, std::vector<std::string>& unreadable) {
    const auto& paths = recordings_.paths();
    std::vector<std::optional<RecordingContents>> found(paths.size());
    platform_.runBusy([&] {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            found[i] = converter_.inspect(paths[i]);
        }
    });
    std::vector<RecordingContents> contents;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (found[i]) {
            readable.push_back(paths[i]);
            contents.push_back(*found[i]);
        } else {
            unreadable.push_back(paths[i]);
        }
    }
    if (paths.size() == 1 && readable.empty()) {
        platform_.showMessage("Failed to convert!");
        return std::nullopt;
    }
    if (readable.empty()) {
        platform_.showMessage(headedList("None of the recordings can be read:", unreadable));
        return std::nullopt;
    }
    if (!unreadable.empty()) {
        platform_.showMessage(
            headedList("These recordings cannot be read and are left out:", unreadable));
    }
    return contents;
}

void MainDialogLogic::startNext() {
    while (const std::string* source = run_->current()) {
        if (!run_->single()) {
            platform_.showStatus(run_->statusLine());
        }
        const auto prefix = outputPrefix(*source, run_->outputFolder());
        converter_.setOutputFormat(format_);
        if (converter_.Start(source->c_str(), run_->channelMask(), prefix.c_str()) != 0) {
            platform_.armTimer(kProgressTimerId, kProgressIntervalMs);
            enterState(State::Converting);
            return;
        }
        run_->noteFailed(*source);
        run_->advance();
    }
    endRun(false);
}

void MainDialogLogic::stop() {
    converter_.Stop();
    platform_.setProgressPosition(0);
    platform_.disarmTimer(kProgressTimerId);
    if (run_) {
        collectProblems();
        endRun(true);
    }
}

void MainDialogLogic::timerTick(int timerId) {
    if (timerId != kProgressTimerId || !run_) {
        return;
    }
    // Killed first so that no tick arrives while a message is open.
    platform_.disarmTimer(kProgressTimerId);
    if (converter_.IsFinished() != 0) {
        platform_.setProgressPosition(100);
        converter_.Stop();
        platform_.setProgressPosition(0);
        run_->noteConverted();
        collectProblems();
        run_->advance();
        startNext();
        return;
    }
    platform_.setProgressPosition(std::clamp(converter_.GetProgress(), 0, 100));
    platform_.armTimer(kProgressTimerId, kProgressIntervalMs);
}

void MainDialogLogic::collectProblems() {
    run_->noteDamage(converter_.describeDamage());
    run_->noteLosses(converter_.describeLosses());
}

// A clean run ends as a single conversion always did: "Finish" and nothing more.
void MainDialogLogic::endRun(bool stopped) {
    bool openFolder = false;
    if (!stopped) {
        if (run_->anyConverted()) {
            openFolder = platform_.showFinishMessage("Finish");
        } else {
            platform_.showMessage("Failed to convert!");
        }
    }
    const std::string warning = run_->warningText();
    if (!warning.empty()) {
        platform_.showWarning(warning);
    }
    if (!run_->single()) {
        platform_.showStatus({});
    }
    if (state_ != State::Idle) {
        enterState(State::Idle);
    }
    if (openFolder) {
        platform_.openFolder(run_->outputFolder());
    }
    run_.reset();
}

void MainDialogLogic::enterState(State state) {
    state_ = state;
    platform_.setStartEnabled(state == State::Idle);
    platform_.setStopEnabled(state == State::Converting);
}

}  // namespace kinorex
