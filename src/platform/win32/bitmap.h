// Uncompressed Windows bitmaps (.bmp, 24 or 32 bits per pixel) decoded into RGBA rows,
// top row first. Every size and offset is checked against the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace win32 {

struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

bool decodeBitmap(const std::uint8_t* data, std::size_t size, DecodedBitmap& out);

}  // namespace win32
