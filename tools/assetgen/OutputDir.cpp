#include "OutputDir.h"

#include <cstdio>
#include <system_error>

#include <unistd.h>

#include "Image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace assetgen {

bool OutputDir::writeBytes(const std::string& relativePath, const void* data, size_t size) const {
    const std::filesystem::path target = root_ / relativePath;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", target.parent_path().c_str(),
                     ec.message().c_str());
        return false;
    }
    const std::filesystem::path temp =
        target.string() + ".tmp" + std::to_string(static_cast<long>(getpid()));
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", temp.c_str());
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "assetgen: short write on %s\n", temp.c_str());
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot rename %s: %s\n", temp.c_str(), ec.message().c_str());
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

namespace {
void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}
}  // namespace

std::vector<uint8_t> encodePng(const Image& image, bool withAlpha) {
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> pixels = image.toBytes(channels);
    std::vector<uint8_t> out;
    stbi_write_png_compression_level = 9;
    stbi_write_png_to_func(appendBytes, &out, image.width, image.height, channels, pixels.data(),
                           image.width * channels);
    return out;
}

std::vector<uint8_t> encodeBmp24(const Image& image) {
    const int w = image.width;
    const int h = image.height;
    const int rowSize = (w * 3 + 3) & ~3;
    const uint32_t pixelBytes = static_cast<uint32_t>(rowSize * h);
    const uint32_t fileSize = 54 + pixelBytes;
    std::vector<uint8_t> out(fileSize, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        out[at] = v & 0xFF;
        out[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF;
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));  // positive: bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, pixelBytes);
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    const std::vector<uint8_t> rgb = image.toBytes(3);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = rgb.data() + static_cast<size_t>(h - 1 - y) * w * 3;
        uint8_t* dst = out.data() + 54 + static_cast<size_t>(y) * rowSize;
        for (int x = 0; x < w; ++x) {
            dst[x * 3 + 0] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3 + 0];
        }
    }
    return out;
}

bool OutputDir::writePng(const std::string& relativePath, const Image& image, bool withAlpha) const {
    const std::vector<uint8_t> bytes = encodePng(image, withAlpha);
    if (bytes.empty()) {
        std::fprintf(stderr, "assetgen: PNG encoding failed for %s\n", relativePath.c_str());
        return false;
    }
    return writeBytes(relativePath, bytes);
}

bool OutputDir::writeBmp24(const std::string& relativePath, const Image& image) const {
    return writeBytes(relativePath, encodeBmp24(image));
}

}  // namespace assetgen
