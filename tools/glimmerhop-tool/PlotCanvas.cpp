#include "PlotCanvas.h"

#include <algorithm>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_easy_font.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace tool {

PlotCanvas::PlotCanvas(int width, int height, Rgb background)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {
    fill(0, 0, width, height, background);
}

void PlotCanvas::fill(int x0, int y0, int x1, int y1, Rgb c) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x0) * 3];
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
}

void PlotCanvas::vline(int x, int y0, int y1, Rgb c) { fill(x, std::min(y0, y1), x + 1, std::max(y0, y1) + 1, c); }

void PlotCanvas::hline(int x0, int x1, int y, Rgb c) { fill(std::min(x0, x1), y, std::max(x0, x1) + 1, y + 1, c); }

void PlotCanvas::text(int x, int y, const char* s, Rgb c, int scale) {
    // stb_easy_font emits axis-aligned quads: 4 vertices of x, y, z, colour (16 bytes each).
    static char buffer[60000];
    unsigned char colour[4] = {c.r, c.g, c.b, 255};
    int quads = stb_easy_font_print(0.0f, 0.0f, const_cast<char*>(s), colour, buffer, sizeof buffer);
    for (int q = 0; q < quads; ++q) {
        const float* v0 = reinterpret_cast<const float*>(buffer + q * 64);
        const float* v2 = reinterpret_cast<const float*>(buffer + q * 64 + 32);
        fill(x + static_cast<int>(v0[0] * scale), y + static_cast<int>(v0[1] * scale),
             x + static_cast<int>(v2[0] * scale), y + static_cast<int>(v2[1] * scale), c);
    }
}

int PlotCanvas::textWidth(const char* s, int scale) { return stb_easy_font_width(const_cast<char*>(s)) * scale; }

void PlotCanvas::blitRgba(int x, int y, const std::uint8_t* rgba, int width, int height) {
    for (int row = std::max(0, -y); row < height && y + row < height_; ++row)
        for (int col = std::max(0, -x); col < width && x + col < width_; ++col) {
            const std::uint8_t* s = rgba + (static_cast<std::size_t>(row) * width + col) * 4;
            std::uint8_t* d = &pixels_[(static_cast<std::size_t>(y + row) * width_ + x + col) * 3];
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
        }
}

bool PlotCanvas::writePng(const char* path) const {
    return stbi_write_png(path, width_, height_, 3, pixels_.data(), width_ * 3) != 0;
}

}  // namespace tool
