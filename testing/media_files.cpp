#include "media_files.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kinorex::test {

std::filesystem::path fixturePath(std::string_view name) {
    return std::filesystem::path(KINOREX_FIXTURES_DIR) / name;
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    std::ifstream in(path, std::ios::binary);
    if (error || !in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::vector<std::uint8_t> bytes(size);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) {
        throw std::runtime_error("short read from " + path.string());
    }
    return bytes;
}

std::vector<std::int16_t> loadS16(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = readFileBytes(path);
    if (bytes.size() % 2 != 0) {
        throw std::runtime_error(path.string() + " is not 16-bit PCM: odd byte count");
    }
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return samples;
}

}  // namespace kinorex::test
