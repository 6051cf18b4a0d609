#include "converter_factory.h"

#include "output_naming.h"
#include "ps2avi.h"

namespace kinorex {

namespace {

// The engine's converter behind the dialog's interface. Destroying PS2AVI
// stops a running conversion, so closing the dialog stops it too.
class Ps2aviConverter final : public Converter {
public:
    int Start(const char* sourcePath, std::uint32_t channelMask,
              const char* outputPrefix) override {
        sourceName_ = std::string(fileNameOf(sourcePath));
        return converter_.Start(sourcePath, channelMask, outputPrefix);
    }
    void setOutputFormat(OutputFormat format) override { converter_.setOutputFormat(format); }
    void Stop() override { converter_.Stop(); }
    int GetProgress() override { return converter_.GetProgress(); }
    int IsFinished() override { return converter_.IsFinished(); }
    std::vector<std::string> describeLosses() const override {
        return kinorex::describeLosses(converter_.report());
    }
    std::optional<RecordingContents> inspect(const std::string& sourcePath) override {
        RecordingContents contents;
        ChannelTable fromHeader{};
        if (!converter_.inspect(sourcePath.c_str(), kAllChannelsMask, fromHeader, contents.channels,
                                &contents.scannedWhole)) {
            return std::nullopt;
        }
        return contents;
    }
    std::vector<std::string> describeDamage() const override {
        return kinorex::describeDamage(converter_.report().source, sourceName_);
    }

private:
    PS2AVI converter_;
    std::string sourceName_;
};

}  // namespace

std::unique_ptr<Converter> makeConverter() {
    return std::make_unique<Ps2aviConverter>();
}

}  // namespace kinorex
