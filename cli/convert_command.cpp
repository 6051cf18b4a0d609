#include <algorithm>
#include <chrono>
#include <iostream>

#include "commands.h"
#include "console.h"
#include "file_checks.h"
#include "interrupt.h"
#include "output_naming.h"
#include "progress_display.h"
#include "ps2avi.h"

namespace kinorex::cli {

namespace {

constexpr auto kDisplayInterval = std::chrono::milliseconds(100);
// A conversion may take a fraction of a second: waiting a whole display interval for its
// end would add a noticeable share to it.
constexpr auto kFinishPollInterval = std::chrono::milliseconds(2);

// "converted, but the recording was damaged": every readable frame was converted, and a
// retry would give nothing more, unlike a full disk.
constexpr int kDamagedExitStatus = 3;

// A source that failed outweighs one that was damaged.
int worseStatus(int status, int other) {
    return status == 1 || other == 1 ? 1 : std::max(status, other);
}

void reportFailure(const std::string& source, const std::string& reason) {
    std::cerr << "Failed to convert! " << source << ": " << reason << '\n';
}

// Every folder is checked before the first conversion starts, so a typo in
// the output folder costs nothing. A source that cannot be read has no folder to
// check: it is reported with its own reason when its turn comes.
bool outputFoldersWritable(const Options& options) {
    bool writable = true;
    for (const auto& source : options.sources) {
        if (options.outputFolder.empty() && unreadableSourceReason(source)) {
            continue;
        }
        const auto folder = outputFolderFor(options, source);
        // The folder text of "/x.h264" is empty: the files go into "/".
        const auto folderToCheck = folder.empty() ? std::string(1, kNativePaths.separator) : folder;
        if (const auto reason = unwritableFolderReason(folderToCheck)) {
            std::cerr << "kinorex-convert: cannot write AVI files into " << folderToCheck << ": "
                      << *reason << '\n';
            writable = false;
        }
        if (!options.outputFolder.empty()) {
            break;  // one chosen folder serves every source
        }
    }
    return writable;
}

// Polls the converter until its worker has finished or the user interrupts.
void followConversion(PS2AVI& converter, ProgressDisplay& display) {
    auto nextDisplay = std::chrono::steady_clock::now();
    while (!converter.IsFinished() && !interruptRequested()) {
        if (const auto now = std::chrono::steady_clock::now(); now >= nextDisplay) {
            display.update(converter.GetProgress());  // the display clamps to 0..100
            nextDisplay = now + kDisplayInterval;
        }
        sleepUnlessInterrupted(kFinishPollInterval);
    }
    if (converter.IsFinished()) {
        display.update(100);
    }
}

// Lists the files that exist, parts included, and names each file that lost anything.
// Returns whether everything selected was written in full.
bool reportFiles(const ConversionReport& report, ProgressDisplay& display) {
    for (const auto& channel : report.channels) {
        for (const auto& file : channel.files) {
            // A file the full disk left without even its headers is no AVI file.
            if (file.created && (file.completed || file.chunksWritten > 0)) {
                display.fileWritten(file.path, fileSize(file.path));
            }
        }
    }
    const auto losses = describeLosses(report);
    for (const auto& line : losses) {
        std::cerr << line << '\n';
    }
    return losses.empty();
}

}  // namespace

std::string outputFolderFor(const Options& options, const std::string& source) {
    if (!options.outputFolder.empty()) {
        return options.outputFolder;
    }
    // A bare file name lives in the current folder; "/x.h264" lives in "/",
    // whose folder text is empty and gives the prefix "/x".
    if (source.find_first_of(kNativePaths.separators) == std::string::npos) {
        return ".";
    }
    return defaultOutputFolder(source);
}

int runConversions(const Options& options) {
    if (!outputFoldersWritable(options)) {
        return 2;
    }
    installInterruptHandlers();

    const auto mode = options.quiet                ? ProgressDisplay::Mode::Quiet
                      : standardOutputIsTerminal() ? ProgressDisplay::Mode::Bar
                                                   : ProgressDisplay::Mode::Lines;
    ProgressDisplay display(std::cout, mode);
    PS2AVI converter;
    int status = 0;

    for (const auto& source : options.sources) {
        if (interruptRequested()) {
            break;
        }
        if (const auto reason = unreadableSourceReason(source)) {
            reportFailure(source, *reason);
            status = 1;
            continue;
        }
        const auto prefix = outputPrefix(source, outputFolderFor(options, source));
        if (!converter.Start(source.c_str(), options.channelMask, prefix.c_str())) {
            converter.Stop();
            reportFailure(source, "not a recording");
            status = 1;
            continue;
        }
        display.begin(source, fileSize(source));
        followConversion(converter, display);
        converter.Stop();
        display.end();
        const ConversionReport report = converter.report();
        if (!reportFiles(report, display)) {
            status = 1;
        }
        for (const auto& line : describeDamage(report.source, source)) {
            std::cerr << line << '\n';
        }
        if (report.source.failed()) {
            status = 1;
        } else if (report.source.damaged()) {
            status = worseStatus(status, kDamagedExitStatus);
        }
    }
    return interruptRequested() ? kInterruptedExitStatus : status;
}

}  // namespace kinorex::cli
