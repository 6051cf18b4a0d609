#include "platform/muxed_module.h"

#include <dlfcn.h>

#include <filesystem>

namespace kinorex {

namespace {

// KINOREX_MUXED_MODULE is the module's path relative to the folder of the programs, the same
// in the build tree as where they are installed, so that a moved installation still finds it.
std::string modulePath() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (program.parent_path() / KINOREX_MUXED_MODULE).lexically_normal().string();
}

MuxedModule load() {
    const std::string path = modulePath();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = handle ? dlsym(handle, "kinorexCreateMuxedFile") : nullptr;
    if (!entry) {
        // dlerror names the module when the fault is the module's own, not when a library it
        // needs is missing; name it always, once.
        const char* text = dlerror();
        std::string reason = text ? text : "cannot be loaded";
        if (reason.starts_with(path + ": ")) {
            reason.erase(0, path.size() + 2);
        }
        return {nullptr, path + ": " + reason};
    }
    return {reinterpret_cast<CreateMuxedFile*>(entry), {}};
}

}  // namespace

const MuxedModule& muxedModule() {
    static const MuxedModule module = load();
    return module;
}

}  // namespace kinorex
