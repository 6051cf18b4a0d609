#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion_run.h"
#include "converter.h"
#include "main_dialog_platform.h"
#include "recording_list.h"

namespace kinorex {

// The main dialog without its widgets: the recordings and the output folder, the checks
// before a start and their order, the idle/converting states, the progress poll and the
// run over several recordings, one after another.
class MainDialogLogic {
public:
    enum class State { Idle, Converting };

    // What the format box offers, in its order: the formats this build writes, AVI first.
    // Listing them loads nothing; Start finds out whether MP4 and Matroska can be written.
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

    // The fields' texts as the dialog shows them, taken before Start checks them. The
    // fields are read-only to the user, but other programs can set them through window
    // messages, and Start converts what the fields show: a source text other than the
    // one shown for the list is taken as the path of one recording.
    void setPaths(std::string sourceText, std::string outputFolder);
    // Browse: the chosen files replace the list.
    void chooseSource();
    // Dropped files and folders, and those named on the command line, join the list.
    void addRecordings(const std::vector<std::string>& paths);
    void chooseOutputFolder();
    // The format of the files the next Start writes; AVI until chosen otherwise.
    void chooseFormat(OutputFormat format) { format_ = format; }
    void start();
    void stop();
    // Ticks of timers other than the progress timer are not ours and change nothing.
    void timerTick(int timerId);

    State state() const { return state_; }
    const std::vector<std::string>& recordings() const { return recordings_.paths(); }
    const std::string& outputFolder() const { return outputFolder_; }

private:
    void showPaths();
    // The recordings that can be read, with what they hold; names the others.
    std::optional<std::vector<RecordingContents>> inspectRecordings(
        std::vector<std::string>& readable, std::vector<std::string>& unreadable);
    // Starts the current recording of the run, passing over those the converter refuses;
    // ends the run after the last.
    void startNext();
    void endRun(bool stopped);
    // What the report of the recording just stopped says went wrong.
    void collectProblems();
    void enterState(State state);

    MainDialogPlatform& platform_;
    Converter& converter_;
    RecordingList recordings_;
    std::string outputFolder_;
    OutputFormat format_ = OutputFormat::Avi;
    std::optional<ConversionRun> run_;
    State state_ = State::Idle;
};

}  // namespace kinorex
