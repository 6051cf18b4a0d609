// make-recording: writes a test recording from H.264 clips and 8 kHz speech.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "recording_generator.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        std::fputs(kinorex::tools::kRecordingPlanUsage, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    kinorex::tools::RecordingPlan plan;
    try {
        plan = kinorex::tools::parseRecordingPlan(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-recording: %s\n%s", error.what(),
                     kinorex::tools::kRecordingPlanUsage);
        return 2;
    }
    try {
        kinorex::tools::generateRecording(plan);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-recording: %s\n", error.what());
        return 1;
    }
    return 0;
}
