// The members and the dancer:
//   trelkin.png, vobble.png, ruffwick.png  1024 x 768 overlays: a round neon badge with a
//       stylised head-and-shoulders silhouette on the left (glasses, headphones or a beret),
//       the handle and the member's role on the right. The middle of the screen is clear
//       only in part: these are name cards for the finale.
//   ruffwick01.png  1024 x 768: stage lights, beams fanning down from the top and sparkles,
//       on transparency; the opening picture that flashes with the beat.
//   char01.png      512 x 512: a disco dancer in the pointing pose, transparent around, drawn
//       for a 3:4 (192 x 256) quad: the figure is stretched 4:3 wide in the texture.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

namespace {

float capsule(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy + 1e-6f), 0.0f, 1.0f);
    return std::hypot(px - dx * t, py - dy * t) - r;
}
float ellipse(float x, float y, float cx, float cy, float rx, float ry) {
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
}

enum class Accessory { Glasses, Headphones, Beret };

struct Member {
    const char* file;
    const char* handle;
    const char* role;
    Color tone;
    Color glow;
    Accessory accessory;
};

Image memberCard(const Member& m) {
    const int w = 1024, h = 768;
    Image img(w, h);
    const float cx = 300.0f, cy = 384.0f, R = 190.0f;
    // Badge: a sunburst disc inside a neon ring.
    Mask disc = shapeMask(w, h, [&](float x, float y) { return std::hypot(x - cx, y - cy) - R; });
    img.over(disc, [&](float x, float y) {
        const float a = std::atan2(y - cy, x - cx);
        const float ray = 0.5f + 0.5f * std::cos(a * 12.0f);
        const float r = std::hypot(x - cx, y - cy) / R;
        Color c = mix(rgb(0x140828), mix(m.tone, rgb(0x000000), 0.55f), ray * (1.0f - r * 0.6f));
        c.a = 0.92f;
        return c;
    });
    // Head and shoulders, cut off by the disc.
    auto body = [&](float x, float y) {
        float d = ellipse(x, y, cx, cy - 30.0f, 62.0f, 76.0f);                          // head
        d = std::min(d, capsule(x, y, cx, cy + 30.0f, cx, cy + 70.0f, 30.0f));           // neck
        d = std::min(d, ellipse(x, y, cx, cy + 190.0f, 150.0f, 105.0f));                // shoulders
        if (m.accessory == Accessory::Beret) d = std::min(d, ellipse(x, y, cx + 12.0f, cy - 100.0f, 80.0f, 26.0f));
        if (m.accessory == Accessory::Headphones) {
            d = std::min(d, std::fabs(std::hypot(x - cx, y - (cy - 30.0f)) - 82.0f) - 9.0f + (y > cy - 30.0f ? 100.0f : 0.0f));
            d = std::min(d, ellipse(x, y, cx - 72.0f, cy - 25.0f, 20.0f, 34.0f));
            d = std::min(d, ellipse(x, y, cx + 72.0f, cy - 25.0f, 20.0f, 34.0f));
        }
        return std::max(d, std::hypot(x - cx, y - cy) - R + 6.0f);
    };
    Mask person = shapeMask(w, h, body);
    img.over(person, [&](float x, float y) {
        // Rim light from the upper right in the member's colour.
        const float rim = clamp01((body(x - 10.0f, y + 7.0f)) / 8.0f);
        const Color inner = mix(rgb(0x1A0C2C), mix(m.tone, rgb(0x000000), 0.6f), clamp01((cy + 260.0f - y) / 400.0f));
        return mix(inner, mix(m.tone, rgb(0xFFFFFF), 0.45f), rim);
    });
    if (m.accessory == Accessory::Glasses) {
        Mask glasses = shapeMask(w, h, [&](float x, float y) {
            const float l = std::fabs(std::hypot(x - (cx - 26.0f), y - (cy - 34.0f)) - 19.0f) - 3.5f;
            const float r = std::fabs(std::hypot(x - (cx + 26.0f), y - (cy - 34.0f)) - 19.0f) - 3.5f;
            const float bridge = capsule(x, y, cx - 8.0f, cy - 36.0f, cx + 8.0f, cy - 36.0f, 3.0f);
            return std::min({l, r, bridge});
        });
        img.glow(blurred(glasses, 8), m.glow, 1.5f);
        img.over(glasses, rgb(0xFFFFFF));
    }
    // Neon ring.
    Mask ring = shapeMask(w, h, [&](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - R) - 4.0f; });
    Mask halo = blurred(ring, 18);
    scaleMask(halo, 2.0f);
    img.glow(halo, m.glow, 1.0f);
    img.over(ring, mix(m.glow, rgb(0xFFFFFF), 0.6f));
    // Handle and role.
    TextLook name;
    name.bottom = mix(m.tone, rgb(0xFFFFFF), 0.45f);
    name.glow = m.glow;
    name.glowRadius = 20;
    TextLook role;
    role.top = role.bottom = rgb(0xFFFFFF);
    role.glow = m.glow;
    role.glowRadius = 12;
    role.outlineRadius = 2;
    role.shine = 0.0f;
    const Font& bold = Font::get("DejaVuSans-Bold.ttf");
    const Font& regular = Font::get("DejaVuSans.ttf");
    // The handle fills the right half, whatever its length.
    const float size = std::min(120.0f, 120.0f * 420.0f / bold.measure(m.handle, 120.0f, 2.0f));
    drawLettering(img, textMask(w, h, bold, m.handle, 540.0f, 400.0f, size, Align::Left, 2.0f), name);
    drawLettering(img, textMask(w, h, regular, m.role, 548.0f, 470.0f, 40.0f, Align::Left, 12.0f), role);
    for (int i = 0; i < 4; ++i)
        drawSparkle(img, cx + R * std::cos(0.9f + i * 1.6f), cy + R * std::sin(0.9f + i * 1.6f), 26.0f, rgb(0xFFFFFF));
    return img;
}

Image stageLights() {
    const int w = 1024, h = 768;
    Image img(w, h);
    struct Beam {
        float x, angle;
        int color;
    };
    // Lamps along the top edge, their beams crossing as they fan down.
    const Beam beams[] = {
        {40.0f, 0.55f, 0xFF3FD0}, {220.0f, 0.95f, 0x20D8FF}, {400.0f, 1.25f, 0xFFE070}, {624.0f, 1.89f, 0x9A5CFF},
        {804.0f, 2.19f, 0x6CFF3A}, {984.0f, 2.59f, 0xFF6A3F},
    };
    for (const Beam& b : beams) {
        drawLightBeam(img, b.x, -10.0f, b.angle, 0.12f, 1000.0f, rgb(b.color), 0.6f);
        drawSparkle(img, b.x, 6.0f, 70.0f, mix(rgb(b.color), rgb(0xFFFFFF), 0.5f));
    }
    Rng rng(5);
    for (int i = 0; i < 40; ++i)
        drawSparkle(img, rng.uniform() * w, rng.uniform() * h, 6.0f + rng.uniform() * 18.0f,
                    hueColor(rng.uniform(), 0.4f));
    return img;
}

Image dancer() {
    // Designed in a 384 x 512 space (3:4), drawn into 512 x 512.
    const int n = 512;
    const float sx = 384.0f / n;
    auto figure = [&](float px, float py) {
        const float x = px * sx, y = py;
        float d = std::hypot(x - 200.0f, y - 74.0f) - 50.0f;                            // afro
        d = std::min(d, std::hypot(x - 203.0f, y - 92.0f) - 32.0f);                     // face
        d = std::min(d, capsule(x, y, 200, 110, 198, 140, 12));                          // neck
        d = std::min(d, capsule(x, y, 196, 170, 190, 228, 40));                          // chest
        d = std::min(d, capsule(x, y, 189, 238, 186, 280, 30));                          // waist
        d = std::min(d, capsule(x, y, 226, 152, 272, 100, 14));                          // right upper arm
        d = std::min(d, capsule(x, y, 272, 100, 318, 34, 12));                           // right forearm
        d = std::min(d, std::hypot(x - 322.0f, y - 24.0f) - 12.0f);                     // pointing hand
        d = std::min(d, capsule(x, y, 160, 156, 122, 214, 14));                          // left upper arm
        d = std::min(d, capsule(x, y, 122, 214, 166, 262, 12));                          // left forearm on the hip
        d = std::min(d, capsule(x, y, 168, 292, 208, 292, 32));                          // hips
        d = std::min(d, capsule(x, y, 170, 304, 132, 392, 21));                          // left thigh
        d = std::min(d, capsule(x, y, 132, 392, 112, 470, 16));                          // left shin
        d = std::min(d, capsule(x, y, 112, 470, 104, 482, 25));                          // flare
        d = std::min(d, capsule(x, y, 106, 494, 70, 500, 9));                            // left foot
        d = std::min(d, capsule(x, y, 210, 304, 236, 392, 21));                          // right thigh
        d = std::min(d, capsule(x, y, 236, 392, 262, 466, 16));                          // right shin
        d = std::min(d, capsule(x, y, 262, 466, 268, 480, 25));                          // flare
        d = std::min(d, capsule(x, y, 268, 492, 306, 496, 9));                           // right foot
        return d / sx * 0.5f + d * 0.5f;  // average of the two axis scales
    };
    Image img(n, n);
    Mask body = shapeMask(n, n, figure);
    Mask halo = blurred(dilated(body, 3), 22);
    img.over(halo, rgb(0xC040FF, 0.8f));
    img.over(body, [&](float x, float y) {
        const float v = y / n;
        Color c = v < 0.5f ? mix(rgb(0xFF4FD8), rgb(0x9A5CFF), v * 2.0f) : mix(rgb(0x9A5CFF), rgb(0x20D8FF), v * 2.0f - 1.0f);
        // Rim light on the upper left edge, a darker core.
        const float rim = clamp01(figure(x + 6.0f, y + 6.0f) / 6.0f);
        const float inside = clamp01(-figure(x, y) / 30.0f);
        c = mix(c, rgb(0x2A0A48), inside * 0.5f);
        return mix(c, rgb(0xFFFFFF), rim * 0.85f);
    });
    drawSparkle(img, 322.0f / sx, 24.0f, 50.0f, rgb(0xFFFFFF));
    Rng rng(13);
    for (int i = 0; i < 10; ++i)
        drawSparkle(img, 40.0f + rng.uniform() * 430.0f, 30.0f + rng.uniform() * 460.0f, 8.0f + rng.uniform() * 10.0f,
                    hueColor(rng.uniform(), 0.3f));
    return img;
}

}  // namespace

bool generatePortraits(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    const Member members[] = {
        {"trelkin.png", "Trelkin", "CODE", rgb(0x20D8FF), rgb(0x20B8FF), Accessory::Glasses},
        {"vobble.png", "Vobble", "MUSIC", rgb(0xFF4FD8), rgb(0xFF3FD0), Accessory::Headphones},
        {"ruffwick.png", "Ruffwick", "GRAPHICS", rgb(0x8CFF5A), rgb(0x6CFF3A), Accessory::Beret},
    };
    bool ok = true;
    for (const Member& m : members) ok &= ctx.data.writePng(m.file, memberCard(m));
    ok &= ctx.data.writePng("ruffwick01.png", stageLights());
    ok &= ctx.data.writePng("char01.png", dancer());
    return ok;
}

}  // namespace assetgen
