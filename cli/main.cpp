#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "hi_voice.h"
#include "options.h"

namespace {

void printVersion() {
    char voiceVersion[64] = {};
    HI_VOICE_GetVersion(voiceVersion);
    std::cout << "kinorex-convert " KINOREX_VERSION "\n" << voiceVersion << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kinorex::cli;

    const Utf8Console console;
    const auto parsed = parseOptions(commandLineArguments(argc, argv));
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "kinorex-convert: " << error->message << "\n\n" << usageText();
        return 2;
    }
    const auto& options = std::get<Options>(parsed);
    if (options.help) {
        std::cout << usageText();
        return 0;
    }
    if (options.version) {
        printVersion();
        return 0;
    }
    return options.info ? runInfo(options) : runConversions(options);
}
