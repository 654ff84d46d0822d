#include "Style.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {
constexpr float kPi = 3.14159265f;
}

Bounds coverageBounds(const Mask& m) {
    Bounds b{m.width, m.height, 0, 0};
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > 0.02f) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1);
                b.y1 = std::max(b.y1, y + 1);
            }
    if (b.x1 == 0) b = Bounds{};
    return b;
}

namespace {
Mask crop(const Mask& m, const Bounds& b) {
    Mask out(b.x1 - b.x0, b.y1 - b.y0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = m.sample(x + b.x0, y + b.y0);
    return out;
}
}  // namespace

void drawLettering(Image& image, const Mask& text, const TextLook& look) {
    Bounds b = coverageBounds(text);
    if (b.empty()) return;
    // Work on the letters' neighbourhood only: the glow and outline reach this far.
    const int margin = look.glowRadius * 2 + look.outlineRadius + 4;
    b = {b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
    const Mask local = crop(text, b);
    const Bounds inner = coverageBounds(local);
    if (look.glowRadius > 0 && look.glowStrength > 0.0f) {
        Mask halo = blurred(dilated(local, std::max(1, look.glowRadius / 5)), look.glowRadius);
        scaleMask(halo, look.glowStrength);
        image.over(halo, look.glow, b.x0, b.y0);
    }
    if (look.outlineRadius > 0) {
        Mask edge = blurred(dilated(local, look.outlineRadius), 2);
        image.over(edge, look.outline, b.x0, b.y0);
    }
    const float top = static_cast<float>(inner.y0 + b.y0);
    const float h = static_cast<float>(inner.y1 - inner.y0);
    image.over(local, [&](float, float y) {
        const float v = clamp01((y - top) / h);
        Color c = mix(look.top, look.bottom, v);
        // A soft white band across the upper third, as light catching glossy letters.
        const float band = look.shine * std::exp(-std::pow((v - 0.28f) / 0.12f, 2.0f));
        c = mix(c, rgb(0xFFFFFF), clamp01(band));
        c.a = 1.0f;
        return c;
    }, b.x0, b.y0);
}

void drawTextLine(Image& image, const char* fontFile, const std::string& text, float cx, float baseline,
                  float pixelHeight, const TextLook& look, float tracking, float slant) {
    const Font& font = Font::get(fontFile);
    const Mask m = textMask(image.width, image.height, font, text, cx, baseline, pixelHeight, Align::Center,
                            tracking, slant);
    drawLettering(image, m, look);
}

void drawMirrorBall(Image& image, float cx, float cy, float radius, uint32_t seed) {
    const int x0 = std::max(0, static_cast<int>(cx - radius - 2)), x1 = std::min(image.width, static_cast<int>(cx + radius + 2));
    const int y0 = std::max(0, static_cast<int>(cy - radius - 2)), y1 = std::min(image.height, static_cast<int>(cy + radius + 2));
    const int rows = 16;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
            const float r2 = dx * dx + dy * dy;
            const float cover = clamp01((1.0f - std::sqrt(r2)) * radius + 0.5f);
            if (cover <= 0.0f) continue;
            const float nz = std::sqrt(std::max(0.0f, 1.0f - r2));
            // Facets on latitude rows; each row has as many facets as its circumference allows.
            const float lat = std::asin(std::clamp(dy, -1.0f, 1.0f));
            const float rowF = (lat / kPi + 0.5f) * rows;
            const int row = std::min(rows - 1, static_cast<int>(rowF));
            const float ringRadius = std::cos((row + 0.5f) / rows * kPi - kPi * 0.5f);
            // Square facets: a row holds as many as its share of the circumference allows.
            const int facets = std::max(3, static_cast<int>(std::lround(ringRadius * rows)));
            const float lon = std::atan2(dx, nz);
            const float colF = (lon / kPi + 0.5f) * facets;
            const int col = static_cast<int>(std::floor(colF));
            const float ex = std::min(colF - col, 1.0f - (colF - col)) * (radius * 3.14159f / facets) * ringRadius * nz;
            const float ey = std::min(rowF - row, 1.0f - (rowF - row)) * (radius * 3.14159f / rows) * std::cos(lat);
            const float grout = smoothstep(0.6f, 1.6f, std::min(ex, ey));
            uint32_t h = (static_cast<uint32_t>(row) * 73856093u) ^ (static_cast<uint32_t>(col + 100) * 19349663u) ^ seed;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            const float facetRand = (h & 0xFFFF) / 65535.0f;
            // Shade: a key light from the upper left, plus coloured glints on random facets.
            const float light = std::max(0.0f, -0.45f * dx - 0.55f * dy + 0.7f * nz);
            Color c = mix(rgb(0x3A3F5C), rgb(0xE8ECFF), clamp01(0.15f + 0.9f * light * (0.35f + 0.9f * facetRand)));
            if (facetRand > 0.86f) c = mix(c, hueColor(facetRand * 7.0f, 0.6f, 1.0f), 0.8f);
            if (facetRand < 0.07f) c = mix(rgb(0xFFFFFF), hueColor(facetRand * 13.0f, 0.3f), 0.3f);
            c = mix(rgb(0x161826), c, grout);
            // Darken the rim so it reads as a sphere.
            c = mix(c, rgb(0x0A0B14), clamp01((std::sqrt(r2) - 0.8f) * 2.5f));
            image.blend(x, y, c, cover);
        }
    // The highlight flare.
    drawSparkle(image, cx - radius * 0.38f, cy - radius * 0.42f, radius * 0.9f, rgb(0xFFFFFF));
}

void drawSparkle(Image& image, float x, float y, float size, const Color& color) {
    const int r = static_cast<int>(size) + 2;
    for (int py = static_cast<int>(y) - r; py <= static_cast<int>(y) + r; ++py)
        for (int px = static_cast<int>(x) - r; px <= static_cast<int>(x) + r; ++px) {
            const float dx = std::fabs(px + 0.5f - x) / size, dy = std::fabs(py + 0.5f - y) / size;
            if (dx > 1.0f || dy > 1.0f) continue;
            // Two thin rays plus a round core.
            const float ray = std::max(std::exp(-dy * dy * 900.0f) * (1.0f - dx), std::exp(-dx * dx * 900.0f) * (1.0f - dy));
            const float core = std::exp(-(dx * dx + dy * dy) * 60.0f);
            image.add(px, py, color, clamp01(ray * 0.9f + core));
        }
}

void drawLightBeam(Image& image, float x, float y, float angle, float spread, float length, const Color& color,
                   float strength) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    for (int py = 0; py < image.height; ++py)
        for (int px = 0; px < image.width; ++px) {
            const float dx = px + 0.5f - x, dy = py + 0.5f - y;
            const float along = dx * ca + dy * sa;
            if (along <= 0.0f || along > length) continue;
            const float across = -dx * sa + dy * ca;
            const float a = std::fabs(across) / (along * std::tan(spread) + 1.0f);
            if (a > 1.0f) continue;
            const float falloff = (1.0f - along / length);
            const float v = (1.0f - a * a) * falloff * falloff * strength;
            image.add(px, py, color, v);
        }
}

void drawNeonText(Image& image, const Mask& text, const Color& color, float tubeWidth, int glowRadius) {
    Bounds b = coverageBounds(text);
    if (b.empty()) return;
    const int margin = glowRadius * 2 + static_cast<int>(tubeWidth) + 4;
    b = {b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
    Mask local(b.x1 - b.x0, b.y1 - b.y0), inverse(local.width, local.height);
    for (int y = 0; y < local.height; ++y)
        for (int x = 0; x < local.width; ++x) {
            local.at(x, y) = text.sample(x + b.x0, y + b.y0);
            inverse.at(x, y) = 1.0f - local.at(x, y);
        }
    // Tube = the band around the letters' edge: grown shape minus shrunk shape.
    const int r = std::max(1, static_cast<int>(tubeWidth * 0.5f));
    const Mask grown = dilated(local, r);
    const Mask shrunk = dilated(inverse, r);
    Mask tube(local.width, local.height), core(local.width, local.height);
    for (size_t i = 0; i < tube.v.size(); ++i) {
        tube.v[i] = clamp01(grown.v[i] + shrunk.v[i] - 1.0f);
        core.v[i] = 0.0f;
    }
    core = blurred(tube, 2);
    for (float& v : core.v) v = smoothstep(0.45f, 0.9f, v);
    Mask halo = blurred(tube, glowRadius);
    scaleMask(halo, 1.8f);
    Mask wide = blurred(tube, glowRadius * 3);
    scaleMask(wide, 1.2f);
    image.over(wide, Color{color.r, color.g, color.b, 0.55f}, b.x0, b.y0);
    image.glow(halo, color, 1.0f, b.x0, b.y0);
    image.over(tube, mix(color, rgb(0xFFFFFF), 0.35f), b.x0, b.y0);
    image.over(core, rgb(0xFFFFFF), b.x0, b.y0);
}

Image downsample2(const Image& image) {
    Image out(image.width / 2, image.height / 2);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            Color s{0, 0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const Color& p = image.at(2 * x + dx, 2 * y + dy);
                    s.r += p.r;
                    s.g += p.g;
                    s.b += p.b;
                    s.a += p.a;
                }
            out.at(x, y) = {s.r * 0.25f, s.g * 0.25f, s.b * 0.25f, s.a * 0.25f};
        }
    return out;
}

void drawPerspectiveGrid(Image& image, float horizon, const Color& color) {
    const float cx = image.width * 0.5f;
    const float depth = image.height - horizon;
    for (int y = static_cast<int>(horizon) + 1; y < image.height; ++y) {
        const float v = (y + 0.5f - horizon) / depth;  // 0 at the horizon, 1 at the bottom
        const float z = 1.0f / v;                       // distance into the floor
        const float fade = clamp01(v * 2.5f);
        // Cross lines: evenly spaced in depth (two per unit of z). One pixel row spans
        // 2 z^2 / depth line spacings; where that exceeds one the lines blend to a haze.
        const float lines = z * 2.0f;
        const float rowPhase = std::fabs(lines - std::round(lines));
        const float footprint = 2.0f * z * z / depth;
        const float row = footprint < 1.0f ? clamp01(1.0f - rowPhase / std::max(footprint, 0.05f)) * (0.6f + 0.4f * (1.0f - footprint))
                                           : 0.6f / footprint;
        for (int x = 0; x < image.width; ++x) {
            const float wx = (x + 0.5f - cx) / (v * image.width * 0.5f) * 4.0f;  // floor x coordinate
            const float colPhase = std::fabs(wx - std::round(wx));
            const float col = clamp01(1.0f - colPhase / (0.9f / (v * image.width * 0.125f) + 0.01f));
            const float line = std::max(row, col) * fade;
            if (line > 0.0f) image.add(x, y, color, line);
        }
    }
}

}  // namespace assetgen
