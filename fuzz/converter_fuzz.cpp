// The whole converter on arbitrary recordings: Start with every channel selected, wait for
// the worker to finish, Stop. The AVI files go to a scratch folder emptied for each input.
#include <thread>

#include "ps2avi.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = kinorex::fuzz::ScratchFolder::instance();
    const auto& recording = folder.writeRecording(data, size);
    const auto prefix = (folder.path() / "rec").string();

    kinorex::PS2AVI converter;
    if (converter.Start(kinorex::fuzz::utf8(recording).c_str(), 0xFFFF, prefix.c_str()) == 1) {
        // A hang shows as the fuzzer's timeout on this input.
        while (!converter.IsFinished()) {
            std::this_thread::yield();
        }
    }
    converter.Stop();
    return 0;
}
