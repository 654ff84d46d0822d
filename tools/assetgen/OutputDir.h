// Where the generator puts its files: every write lands atomically (temporary file, then
// rename), so a build interrupted half-way never leaves a truncated asset behind that a
// later build would take as up to date.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

struct Image;

class OutputDir {
public:
    explicit OutputDir(std::filesystem::path root) : root_(std::move(root)) {}

    const std::filesystem::path& root() const { return root_; }

    // relativePath uses '/' separators; folders are created as needed.
    bool writeBytes(const std::string& relativePath, const void* data, size_t size) const;
    bool writeBytes(const std::string& relativePath, const std::vector<uint8_t>& bytes) const {
        return writeBytes(relativePath, bytes.data(), bytes.size());
    }
    // PNG, 8 bits per channel, rows top first. withAlpha false drops the alpha channel.
    bool writePng(const std::string& relativePath, const Image& image, bool withAlpha = true) const;
    // Uncompressed 24-bit BMP (bottom-up rows, as Windows bitmap resources are stored).
    bool writeBmp24(const std::string& relativePath, const Image& image) const;

private:
    std::filesystem::path root_;
};

// The encoders, for tests and for callers that want the bytes themselves.
std::vector<uint8_t> encodePng(const Image& image, bool withAlpha);
std::vector<uint8_t> encodeBmp24(const Image& image);

}  // namespace assetgen
