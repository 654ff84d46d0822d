#include "Image.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

Color rgb(int hex, float alpha) {
    return {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f, alpha};
}

Color mix(const Color& a, const Color& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color hueColor(float hue, float saturation, float value) {
    hue -= std::floor(hue);
    const float h6 = hue * 6.0f;
    auto channel = [&](float offset) {
        float k = std::fmod(offset + h6, 6.0f);
        const float f = std::max(0.0f, std::min({k, 4.0f - k, 1.0f}));
        return value * (1.0f - saturation * f);
    };
    return {channel(5.0f), channel(3.0f), channel(1.0f), 1.0f};
}

namespace {
// One box pass along rows (horizontal) or columns, radius r, edges treated as empty.
void boxPass(const Mask& src, Mask& dst, int r, bool horizontal) {
    const int w = src.width, h = src.height;
    const int lines = horizontal ? h : w;
    const int len = horizontal ? w : h;
    const float inv = 1.0f / (2 * r + 1);
    for (int line = 0; line < lines; ++line) {
        auto get = [&](int i) -> float {
            if (i < 0 || i >= len) return 0.0f;
            return horizontal ? src.at(i, line) : src.at(line, i);
        };
        float sum = 0.0f;
        for (int i = -r; i <= r; ++i) sum += get(i);
        for (int i = 0; i < len; ++i) {
            (horizontal ? dst.at(i, line) : dst.at(line, i)) = sum * inv;
            sum += get(i + r + 1) - get(i - r);
        }
    }
}
}  // namespace

Mask blurred(const Mask& m, int radius) {
    if (radius <= 0) return m;
    const int r = std::max(1, radius / 2);
    Mask a = m, b(m.width, m.height);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, r, true);
        boxPass(b, a, r, false);
    }
    return a;
}

Mask dilated(const Mask& m, int radius) {
    Mask out(m.width, m.height);
    // Square max first (separable, cheap): where it is zero the round pen finds nothing either.
    Mask rows(m.width, m.height), square(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float best = 0.0f;
            for (int dx = -radius; dx <= radius; ++dx) best = std::max(best, m.sample(x + dx, y));
            rows.at(x, y) = best;
        }
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float best = 0.0f;
            for (int dy = -radius; dy <= radius; ++dy) best = std::max(best, rows.sample(x, y + dy));
            square.at(x, y) = best;
        }
    std::vector<std::pair<int, int>> offsets;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius + radius) offsets.push_back({dx, dy});
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            if (square.at(x, y) <= 0.0f) continue;
            float best = 0.0f;
            for (auto [dx, dy] : offsets) {
                best = std::max(best, m.sample(x + dx, y + dy));
                if (best >= 1.0f) break;
            }
            out.at(x, y) = best;
        }
    return out;
}

void scaleMask(Mask& m, float factor) {
    for (float& v : m.v) v = clamp01(v * factor);
}

Mask shapeMask(int w, int h, const std::function<float(float, float)>& distance) {
    Mask m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) m.at(x, y) = clamp01(0.5f - distance(x + 0.5f, y + 0.5f));
    return m;
}

Mask shapeMask(int w, int h, const std::function<float(float, float)>& distance, int x0, int y0, int x1, int y1) {
    Mask m(w, h);
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(w, x1); ++x) m.at(x, y) = clamp01(0.5f - distance(x + 0.5f, y + 0.5f));
    return m;
}

Image::Image(int w, int h, Color fill) : width(w), height(h) {
    Color p{fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a};
    px.assign(static_cast<size_t>(w) * h, p);
}

void Image::paint(const std::function<Color(float, float)>& shader) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Color c = shader(x + 0.5f, y + 0.5f);
            at(x, y) = {c.r * c.a, c.g * c.a, c.b * c.a, c.a};
        }
}

void Image::blend(int x, int y, const Color& c, float coverage) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    const float a = clamp01(c.a * coverage);
    if (a <= 0.0f) return;
    Color& d = at(x, y);
    d.r = c.r * a + d.r * (1.0f - a);
    d.g = c.g * a + d.g * (1.0f - a);
    d.b = c.b * a + d.b * (1.0f - a);
    d.a = a + d.a * (1.0f - a);
}

void Image::add(int x, int y, const Color& c, float amount) {
    if (x < 0 || y < 0 || x >= width || y >= height || amount <= 0.0f) return;
    Color& d = at(x, y);
    const float k = amount * c.a;
    d.r = std::min(1.0f, d.r + c.r * k);
    d.g = std::min(1.0f, d.g + c.g * k);
    d.b = std::min(1.0f, d.b + c.b * k);
    d.a = std::min(1.0f, d.a + k);
    // Keep premultiplied colour within alpha so the straight colour stays in range.
    d.a = std::max({d.a, d.r, d.g, d.b});
}

void Image::over(const Mask& m, const Color& c, int dx, int dy) {
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > 0.0f) blend(x + dx, y + dy, c, m.at(x, y));
}

void Image::over(const Mask& m, const std::function<Color(float, float)>& shader, int dx, int dy) {
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > 0.0f)
                blend(x + dx, y + dy, shader(x + dx + 0.5f, y + dy + 0.5f), m.at(x, y));
}

void Image::glow(const Mask& m, const Color& c, float strength, int dx, int dy) {
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > 0.0f) add(x + dx, y + dy, c, m.at(x, y) * strength);
}

void Image::overImage(const Image& src, int dx, int dy, float opacity) {
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            const int tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
            const Color& s = src.at(x, y);
            Color& d = at(tx, ty);
            const float a = s.a * opacity;
            d.r = s.r * opacity + d.r * (1.0f - a);
            d.g = s.g * opacity + d.g * (1.0f - a);
            d.b = s.b * opacity + d.b * (1.0f - a);
            d.a = a + d.a * (1.0f - a);
        }
}

std::vector<uint8_t> Image::toBytes(int channels) const {
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * channels);
    auto q = [](float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); };
    for (size_t i = 0; i < px.size(); ++i) {
        const Color& p = px[i];
        uint8_t* o = out.data() + i * channels;
        if (channels == 4) {
            const float inv = p.a > 1e-6f ? 1.0f / p.a : 0.0f;
            o[0] = q(p.r * inv);
            o[1] = q(p.g * inv);
            o[2] = q(p.b * inv);
            o[3] = q(p.a);
        } else {
            o[0] = q(p.r);
            o[1] = q(p.g);
            o[2] = q(p.b);
        }
    }
    return out;
}

namespace {
uint32_t hash2(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2dU ^ static_cast<uint32_t>(x) * 0x85ebca6bU ^
                 static_cast<uint32_t>(y) * 0xc2b2ae35U;
    h ^= h >> 15;
    h *= 0x2c1b3c6dU;
    h ^= h >> 12;
    h *= 0x297a2d39U;
    h ^= h >> 15;
    return h;
}
}  // namespace

float valueNoise(float x, float y, int period, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    auto corner = [&](int cx, int cy) {
        cx = ((cx % period) + period) % period;
        cy = ((cy % period) + period) % period;
        return (hash2(cx, cy, seed) >> 8) * (1.0f / 16777216.0f);
    };
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * sx;
    const float b = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

}  // namespace assetgen
