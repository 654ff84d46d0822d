// A small RGB canvas for the analysis pictures: rectangles, lines, text (stb_easy_font),
// written as PNG.
#pragma once

#include <cstdint>
#include <vector>

namespace tool {

struct Rgb {
    std::uint8_t r, g, b;
};

class PlotCanvas {
public:
    PlotCanvas(int width, int height, Rgb background);

    int width() const { return width_; }
    int height() const { return height_; }
    void fill(int x0, int y0, int x1, int y1, Rgb c);  // x1, y1 exclusive; clipped
    void vline(int x, int y0, int y1, Rgb c);           // y0..y1 inclusive, either order
    void hline(int x0, int x1, int y, Rgb c);
    // Text with its top-left corner at (x, y), `scale` pixels per font unit.
    void text(int x, int y, const char* s, Rgb c, int scale = 2);
    static int textWidth(const char* s, int scale = 2);
    // Copies an RGBA picture (rows top first) with its top-left corner at (x, y); clipped.
    void blitRgba(int x, int y, const std::uint8_t* rgba, int width, int height);
    bool writePng(const char* path) const;

private:
    int width_, height_;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace tool
