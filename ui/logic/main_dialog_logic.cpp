#include "main_dialog_logic.h"

#include <algorithm>

#include "output_naming.h"

namespace kinorex {

MainDialogLogic::MainDialogLogic(MainDialogPlatform& platform, Converter& converter)
    : platform_(platform), converter_(converter) {}

void MainDialogLogic::initialise() {
    platform_.setProgressRange(0, 100);
    platform_.setProgressTextShown(true);
    enterState(State::Idle);
}

void MainDialogLogic::setPaths(std::string sourcePath, std::string outputFolder) {
    sourcePath_ = std::move(sourcePath);
    outputFolder_ = std::move(outputFolder);
}

void MainDialogLogic::chooseSource() {
    auto path = platform_.pickSourceFile();
    if (!path) {
        return;
    }
    sourcePath_ = std::move(*path);
    // A folder the user already chose is kept: only an empty one follows the source.
    if (outputFolder_.empty()) {
        outputFolder_ = defaultOutputFolder(sourcePath_);
    }
    platform_.showPaths(sourcePath_, outputFolder_);
}

void MainDialogLogic::chooseOutputFolder() {
    auto folder = platform_.pickOutputFolder();
    if (!folder) {
        return;
    }
    outputFolder_ = std::move(*folder);
    platform_.showPaths(sourcePath_, outputFolder_);
}

void MainDialogLogic::start() {
    if (sourcePath_.empty()) {
        platform_.showMessage("Please select source file!");
        return;
    }
    if (outputFolder_.empty()) {
        platform_.showMessage("Please select avi file path!");
        return;
    }
    const auto mask = platform_.runChannelDialog();
    if (!mask) {
        return;
    }
    if (*mask == 0) {
        platform_.showMessage("Please select channel number");
        return;
    }
    const auto prefix = outputPrefix(sourcePath_, outputFolder_);
    if (converter_.Start(sourcePath_.c_str(), *mask, prefix.c_str()) == 0) {
        platform_.showMessage("Failed to convert!");
        return;
    }
    platform_.armTimer(kProgressTimerId, kProgressIntervalMs);
    enterState(State::Converting);
}

void MainDialogLogic::stop() {
    converter_.Stop();
    platform_.setProgressPosition(0);
    platform_.disarmTimer(kProgressTimerId);
    warnAboutLosses();
    enterState(State::Idle);
}

void MainDialogLogic::timerTick(int timerId) {
    if (timerId != kProgressTimerId) {
        return;
    }
    // Killed first so that no tick arrives while the "Finish" message is open.
    platform_.disarmTimer(kProgressTimerId);
    if (converter_.IsFinished() != 0) {
        platform_.setProgressPosition(100);
        converter_.Stop();
        platform_.setProgressPosition(0);
        platform_.showMessage("Finish");
        warnAboutLosses();
        enterState(State::Idle);
        return;
    }
    platform_.setProgressPosition(std::clamp(converter_.GetProgress(), 0, 100));
    platform_.armTimer(kProgressTimerId, kProgressIntervalMs);
}

void MainDialogLogic::warnAboutLosses() {
    const auto losses = converter_.describeLosses();
    const auto damage = converter_.describeDamage();
    std::string text;
    if (!damage.empty()) {
        text = "The recording was damaged; everything else was converted:";
        for (const auto& line : damage) {
            text += '\n' + line;
        }
    }
    if (!losses.empty()) {
        text += text.empty() ? "" : "\n\n";
        text += "Not everything could be written:";
        for (const auto& line : losses) {
            text += '\n' + line;
        }
    }
    if (!text.empty()) {
        platform_.showWarning(text);
    }
}

void MainDialogLogic::enterState(State state) {
    state_ = state;
    platform_.setStartEnabled(state == State::Idle);
    platform_.setStopEnabled(state == State::Converting);
}

}  // namespace kinorex
