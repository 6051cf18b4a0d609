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

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// What one conversion left on disk.
struct SourceResult {
    std::vector<std::string> placed;  // the files now under their own names
    bool lostAnything = false;
};

// Lists the files put in place, parts included, and names each file that lost anything.
SourceResult reportFiles(const ConversionReport& report, ProgressDisplay& display) {
    SourceResult result;
    for (const auto& channel : report.channels) {
        for (const auto& file : channel.files) {
            if (file.placed) {
                display.fileWritten(file.path, fileSize(file.path));
                result.placed.push_back(file.path);
            }
        }
    }
    const auto losses = describeLosses(report);
    for (const auto& line : losses) {
        std::cerr << line << '\n';
    }
    result.lostAnything = !losses.empty();
    return result;
}

// Channels named with -c that give no file. Without -c, a channel without video is no news.
void reportChannelsWithoutVideo(const Options& options, const std::string& source,
                                const PS2AVI& converter) {
    if (!options.channelsNamed) {
        return;
    }
    for (int i = 0; i < kChannelCount; ++i) {
        if (((options.channelMask >> i) & 1u) && !converter.channelOpened(i)) {
            std::cerr << source << ": channel " << i + 1 << " has no video; no file\n";
        }
    }
}

void reportInterruption(const std::vector<std::string>& placed,
                        const std::vector<std::string>& notConverted) {
    std::cerr << "kinorex-convert: interrupted";
    if (!placed.empty()) {
        std::cerr << "; the files written so far are complete (" << joined(placed) << ')';
    }
    if (!notConverted.empty()) {
        std::cerr << "; not converted: " << joined(notConverted);
    }
    std::cerr << '\n';
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

std::optional<std::vector<bool>> sourcesToConvert(const Options& options) {
    std::vector<PlannedSource> batch;
    for (const auto& source : options.sources) {
        batch.push_back({source, outputFolderFor(options, source)});
    }
    std::vector<bool> convert(batch.size(), true);
    bool clash = false;
    for (const auto& conflict :
         findOutputConflicts(batch, currentFolder(), formatName(options.format))) {
        std::cerr << "kinorex-convert: " << conflict.message;
        if (conflict.kind == OutputConflict::Kind::SameNames) {
            std::cerr << "; convert them into different folders (-o)";
            clash = true;
        }
        std::cerr << '\n';
        convert[conflict.later] = false;
    }
    if (clash) {
        return std::nullopt;
    }
    return convert;
}

int runConversions(const Options& options) {
    if (const auto reason = formatUnavailable(options.format)) {
        std::cerr << "kinorex-convert: " << *reason << '\n';
        return 2;
    }
    const auto toConvert = sourcesToConvert(options);
    if (!toConvert || !outputFoldersWritable(options)) {
        return 2;
    }
    installInterruptHandlers();

    const auto mode = options.quiet                ? ProgressDisplay::Mode::Quiet
                      : standardOutputIsTerminal() ? ProgressDisplay::Mode::Bar
                                                   : ProgressDisplay::Mode::Lines;
    ProgressDisplay display(std::cout, mode);
    PS2AVI converter;
    converter.setOutputFormat(options.format);
    int status = 0;

    std::vector<std::string> placedWhenInterrupted;
    std::vector<std::string> notConverted;
    for (std::size_t i = 0; i < options.sources.size(); ++i) {
        const auto& source = options.sources[i];
        if (!(*toConvert)[i]) {
            continue;
        }
        if (interruptRequested()) {
            notConverted.push_back(source);
            continue;
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
        const auto result = reportFiles(report, display);
        reportChannelsWithoutVideo(options, source, converter);
        for (const auto& line : describeDamage(report.source, source)) {
            std::cerr << line << '\n';
        }
        if (interruptRequested()) {
            placedWhenInterrupted = result.placed;
            continue;
        }
        if (result.placed.empty() && !result.lostAnything) {
            std::cerr << source << ": nothing to convert\n";
        }
        if (result.placed.empty() || result.lostAnything) {
            status = 1;
        }
        if (report.source.failed()) {
            status = 1;
        } else if (report.source.damaged()) {
            status = worseStatus(status, kDamagedExitStatus);
        }
    }
    if (!interruptRequested()) {
        return status;
    }
    reportInterruption(placedWhenInterrupted, notConverted);
    interruptHandled();
    return interruptExitStatus();
}

}  // namespace kinorex::cli
