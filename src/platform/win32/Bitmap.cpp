#include "platform/win32/bitmap.h"

#include <limits>

namespace win32 {
namespace {

std::uint32_t read32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool decodeBitmap(const std::uint8_t* data, std::size_t size, DecodedBitmap& out) {
    constexpr std::size_t kFileHeader = 14;
    if (!data || size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t pixelOffset = read32(data + 10);
    const std::uint8_t* info = data + kFileHeader;
    const std::uint32_t infoSize = read32(info);
    if (infoSize < 40 || infoSize > size - kFileHeader) return false;
    const std::int32_t width = static_cast<std::int32_t>(read32(info + 4));
    const std::int32_t signedHeight = static_cast<std::int32_t>(read32(info + 8));
    const std::uint16_t bits = read16(info + 14);
    const std::uint32_t compression = read32(info + 16);
    // BI_RGB only (BI_BITFIELDS with the usual masks is the same layout for 32 bits).
    if (compression != 0 && !(compression == 3 && bits == 32)) return false;
    if (bits != 24 && bits != 32) return false;
    if (width <= 0 || width > 16384 || signedHeight == 0 || signedHeight == std::numeric_limits<std::int32_t>::min())
        return false;
    const bool bottomUp = signedHeight > 0;
    const std::int32_t height = bottomUp ? signedHeight : -signedHeight;
    if (height > 16384) return false;

    const std::size_t bytesPerPixel = bits / 8;
    const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t(3);
    if (pixelOffset > size || stride * static_cast<std::size_t>(height) > size - pixelOffset) return false;

    out.width = width;
    out.height = height;
    out.rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    for (std::int32_t row = 0; row < height; ++row) {
        const std::int32_t sourceRow = bottomUp ? height - 1 - row : row;
        const std::uint8_t* src = data + pixelOffset + stride * sourceRow;
        std::uint8_t* dst = out.rgba.data() + static_cast<std::size_t>(row) * width * 4;
        for (std::int32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 255;
        }
    }
    return true;
}

}  // namespace win32
