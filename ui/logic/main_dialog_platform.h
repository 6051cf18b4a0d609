#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "channel_choice.h"

namespace kinorex {

// Everything the main dialog's logic asks of the windowing system. The Qt and
// the Win32 main dialogs implement it; tests implement it with a recording fake.
class MainDialogPlatform {
public:
    virtual ~MainDialogPlatform() = default;

    // A modal message with the caption "Kinorex", an OK button and no icon.
    virtual void showMessage(const std::string& text) = 0;
    // The same with a warning icon, where the platform has one.
    virtual void showWarning(const std::string& text) { showMessage(text); }
    // The "Finish" message, which also offers to open the output folder: true when the
    // user asked for it.
    virtual bool showFinishMessage(const std::string& text) = 0;
    // Shows the folder in the desktop's file manager.
    virtual void openFolder(const std::string& folder) = 0;
    // The chosen files' full paths (one or more), or nothing when the user cancelled.
    virtual std::optional<std::vector<std::string>> pickSourceFiles() = 0;
    // The chosen folder's path, or nothing when the user cancelled or chose
    // something that is not a folder of the file system.
    virtual std::optional<std::string> pickOutputFolder() = 0;
    // Runs the channel selection dialog modally, offering the channels of `choice`: its
    // channel mask when it ended with OK, nothing when it was cancelled.
    virtual std::optional<std::uint32_t> runChannelDialog(const ChannelChoice& choice) = 0;
    // Runs `work` on a thread of its own and returns when it has ended. Meanwhile the
    // window shows that it is busy and keeps painting, but takes no input.
    virtual void runBusy(const std::function<void()>& work) = 0;

    // Shows the source field's text and tooltip and the output folder in their read-only
    // fields.
    virtual void showPaths(const std::string& sourceText, const std::string& sourceToolTip,
                           const std::string& outputFolder) = 0;
    // The line under the progress bar; empty hides it.
    virtual void showStatus(const std::string& line) = 0;
    virtual void setStartEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;

    virtual void setProgressRange(int lower, int upper) = 0;
    virtual void setProgressTextShown(bool shown) = 0;
    virtual void setProgressPosition(int position) = 0;

    // A one-shot in effect: the logic kills the timer at every tick and arms
    // it again when it wants another one.
    virtual void armTimer(int timerId, int milliseconds) = 0;
    virtual void disarmTimer(int timerId) = 0;
};

}  // namespace kinorex
