#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "hi_voice.h"

namespace {

const std::string kLibrary = std::string(KINOREX_LIB_DIR) + "/libkinorex_voice.so";

// Names of the dynamic symbols the library defines, as nm lists them.
std::set<std::string> definedDynamicSymbols() {
    const std::string command = "nm -D --defined-only '" + kLibrary + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> names;
    if (!pipe) {
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) {
            names.insert(name);
        }
    }
    return names;
}

}  // namespace

TEST(VoiceSharedLibrary, ExportsExactlyTheSevenFunctions) {
    const std::set<std::string> expected = {"HI_VOICE_GetVersion",    "HI_VOICE_EncReset",
                                            "HI_VOICE_DecReset",      "HI_VOICE_EncodeFrame",
                                            "HI_VOICE_DecodeFrame",   "HI_VOICE_TransCodeReset",
                                            "HI_VOICE_TransCodeFrame"};
    EXPECT_EQ(definedDynamicSymbols(), expected);
}

TEST(VoiceSharedLibrary, LoadsOnItsOwnAndAnswersByName) {
    void* library = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using GetVersion = decltype(&HI_VOICE_GetVersion);
    auto getVersion = reinterpret_cast<GetVersion>(dlsym(library, "HI_VOICE_GetVersion"));
    ASSERT_NE(getVersion, nullptr);
    char version[HI_VOICE_VERSION_BYTES];
    EXPECT_EQ(getVersion(version), 0);
    EXPECT_STREQ(version, "HI_VOICE_VERSION=KNRX01_VOICELIB_V1.0.0.0");
    dlclose(library);
}
