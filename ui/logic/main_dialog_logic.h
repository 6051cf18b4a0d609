#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "converter.h"
#include "main_dialog_platform.h"

namespace kinorex {

// The main dialog without its widgets: the two paths, the checks before a
// start and their order, the idle/converting states and the progress poll.
class MainDialogLogic {
public:
    enum class State { Idle, Converting };

    // What the format box offers, in its order: the formats this build writes, AVI first.
    struct FormatChoice {
        std::string_view label;
        OutputFormat format;
    };
    static std::vector<FormatChoice> formatChoices();

    static constexpr int kProgressTimerId = 1000;
    static constexpr int kProgressIntervalMs = 500;

    MainDialogLogic(MainDialogPlatform& platform, Converter& converter);

    // Dialog start: progress range 0..100 with its text shown, state idle.
    void initialise();

    // The paths as the dialog's fields show them, taken before Start checks
    // them. The fields are read-only to the user, but other programs can set
    // them through window messages, and Start converts what the fields show.
    void setPaths(std::string sourcePath, std::string outputFolder);
    void chooseSource();
    void chooseOutputFolder();
    // The format of the files the next Start writes; AVI until chosen otherwise.
    void chooseFormat(OutputFormat format) { format_ = format; }
    void start();
    void stop();
    // Ticks of timers other than the progress timer are not ours and change nothing.
    void timerTick(int timerId);

    State state() const { return state_; }
    const std::string& sourcePath() const { return sourcePath_; }
    const std::string& outputFolder() const { return outputFolder_; }

private:
    void enterState(State state);
    // A clean conversion ends without it, so it looks as it always did.
    void warnAboutLosses();

    MainDialogPlatform& platform_;
    Converter& converter_;
    std::string sourcePath_;
    std::string outputFolder_;
    OutputFormat format_ = OutputFormat::Avi;
    State state_ = State::Idle;
};

}  // namespace kinorex
