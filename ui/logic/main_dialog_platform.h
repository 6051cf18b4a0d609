#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
    // The chosen file's full path, or nothing when the user cancelled.
    virtual std::optional<std::string> pickSourceFile() = 0;
    // The chosen folder's path, or nothing when the user cancelled or chose
    // something that is not a folder of the file system.
    virtual std::optional<std::string> pickOutputFolder() = 0;
    // Runs the channel selection dialog modally: its channel mask when it
    // ended with OK, nothing when it was cancelled.
    virtual std::optional<std::uint32_t> runChannelDialog() = 0;

    // Shows the two paths in their read-only fields.
    virtual void showPaths(const std::string& sourcePath, const std::string& outputFolder) = 0;
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
