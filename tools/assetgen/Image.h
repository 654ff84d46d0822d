// Float pictures and coverage masks with the few drawing operations the pictures need.
// Pixels are stored premultiplied (colour already scaled by alpha), which makes "over" and
// additive glows plain sums; the encoders turn them back into straight 8-bit RGBA.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

Color rgb(int hex, float alpha = 1.0f);  // 0xRRGGBB
Color mix(const Color& a, const Color& b, float t);
// A hue around the colour wheel (0..1), full saturation, value v: the disco palette.
Color hueColor(float hue, float saturation = 1.0f, float value = 1.0f);

// One coverage value (0..1) per pixel.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> v;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), v(static_cast<size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return v[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return v[static_cast<size_t>(y) * width + x]; }
    float sample(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : at(x, y);
    }
};

// Soft copy: three box passes approximate a Gaussian of the given radius.
Mask blurred(const Mask& m, int radius);
// Grows the shape by radius pixels (round pen), for outlines.
Mask dilated(const Mask& m, int radius);
void scaleMask(Mask& m, float factor);
// Coverage of a shape given by its signed distance in pixels (negative inside).
Mask shapeMask(int w, int h, const std::function<float(float x, float y)>& distance);
// The same, evaluated only inside the rectangle [x0, x1) x [y0, y1); zero elsewhere.
Mask shapeMask(int w, int h, const std::function<float(float x, float y)>& distance, int x0, int y0, int x1, int y1);

struct Image {
    int width = 0, height = 0;
    std::vector<Color> px;  // premultiplied

    Image() = default;
    Image(int w, int h, Color fill = {0, 0, 0, 0});
    Color& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
    const Color& at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }

    // Fill every pixel from a function of the pixel centre (straight colour).
    void paint(const std::function<Color(float x, float y)>& shader);
    // Source-over with a straight colour scaled by coverage.
    void blend(int x, int y, const Color& c, float coverage);
    void add(int x, int y, const Color& c, float amount);  // additive light, alpha grows too
    // Mask composites: a flat colour, or a colour from a function of the pixel.
    void over(const Mask& m, const Color& c, int dx = 0, int dy = 0);
    void over(const Mask& m, const std::function<Color(float x, float y)>& shader, int dx = 0, int dy = 0);
    void glow(const Mask& m, const Color& c, float strength, int dx = 0, int dy = 0);
    void overImage(const Image& src, int dx, int dy, float opacity = 1.0f);

    // 8-bit straight colour, rows top first; 3 channels drops alpha (composited on black).
    std::vector<uint8_t> toBytes(int channels) const;
};

// Small deterministic generator for textures and noise (xorshift).
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 32);
    }
    float uniform() { return (next() >> 8) * (1.0f / 16777216.0f); }  // [0, 1)
    float signedUniform() { return uniform() * 2.0f - 1.0f; }
};

// Smooth value noise on a lattice, tileable with the given period (in lattice cells).
float valueNoise(float x, float y, int period, uint32_t seed);

float clamp01(float v);
float smoothstep(float e0, float e1, float x);

}  // namespace assetgen
