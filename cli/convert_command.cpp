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

constexpr auto kPollInterval = std::chrono::milliseconds(100);

void reportFailure(const std::string& source, const std::string& reason) {
    std::cerr << "Failed to convert! " << source << ": " << reason << '\n';
}

// Every folder is checked before the first conversion starts, so a typo in
// the output folder costs nothing.
bool outputFoldersWritable(const Options& options) {
    bool writable = true;
    for (const auto& source : options.sources) {
        const auto folder = outputFolderFor(options, source);
        if (const auto reason = unwritableFolderReason(folder)) {
            std::cerr << "kinorex-convert: cannot write AVI files into " << folder << ": "
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
    while (!converter.IsFinished() && !interruptRequested()) {
        display.update(converter.GetProgress());  // the display clamps to 0..100
        sleepUnlessInterrupted(kPollInterval);
    }
    if (converter.IsFinished()) {
        display.update(100);
    }
}

void listWrittenFiles(const PS2AVI& converter, const std::string& prefix,
                      ProgressDisplay& display) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (!converter.channelOpened(i)) {
            continue;
        }
        if (const auto name = channelFileName(prefix, i + 1); name && fileExists(*name)) {
            display.fileWritten(*name, fileSize(*name));
        }
    }
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
        listWrittenFiles(converter, prefix, display);
    }
    return interruptRequested() ? kInterruptedExitStatus : status;
}

}  // namespace kinorex::cli
