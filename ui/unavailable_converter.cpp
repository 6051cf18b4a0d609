#include "converter_factory.h"

namespace kinorex {

namespace {

// Stands in while the engine has no PS2AVI yet: every start fails, so the
// dialog reports "Failed to convert!" and stays idle. The build picks
// ps2avi_converter.cpp instead as soon as engine/ps2avi.h exists.
class UnavailableConverter final : public Converter {
public:
    int Start(const char*, std::uint32_t, const char*) override { return 0; }
    void Stop() override {}
    int GetProgress() override { return 0; }
    int IsFinished() override { return 1; }
};

}  // namespace

std::unique_ptr<Converter> makeConverter() {
    return std::make_unique<UnavailableConverter>();
}

}  // namespace kinorex
