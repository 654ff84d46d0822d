// The dance-floor surfaces:
//   floorbit.png      "floorTile"      256 x 256, one bevelled glass tile, bright and nearly
//                                      white so that effects can tint it.
//   floortexture.png  "floorTexture"   512 x 512, tileable: 4 x 4 dark glossy coloured tiles.
//   floortexture2.png "floorTexture2"  512 x 512, tileable: violet night sky with stars.
//   phong.png         "floorSpecular"  256 x 256, white radial highlight (1 at the centre).
//   phong2.png        "floorSpecular2" 256 x 256, warm highlight with a cool halo ring.
//   colormap.png      "colormap01"     256 x 16 disco ramp: along u two turns of the colour
//                                      wheel; along v the brightness, row 0 full, row 15 35%.
#include <cmath>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

namespace {

Image floorTile() {
    const int n = 256;
    Image img(n, n);
    img.paint([&](float x, float y) {
        const float u = x / n, v = y / n;
        // Distance to the tile edge in tile units; the outermost 3% is the dark gap.
        const float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        if (edge < 0.03f) return rgb(0x101018);
        const float bevel = 0.11f;
        Color c;
        if (edge < bevel) {
            // The bevel: lit from the top left, shaded to the bottom right.
            const float lit = (std::min(u, v) <= std::min(1.0f - u, 1.0f - v)) ? 1.0f : 0.0f;
            const float k = (edge - 0.03f) / (bevel - 0.03f);
            c = mix(lit > 0.5f ? rgb(0xFFFFFF) : rgb(0x8C90A8), rgb(0xE4E8F4), k);
        } else {
            // The glass face: a glow from the centre, fine frosted grain.
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float glow = std::exp(-(dx * dx + dy * dy) * 7.0f);
            const float grain = valueNoise(x * 0.25f, y * 0.25f, 64, 5) * 0.06f;
            c = mix(rgb(0xC8CCE0), rgb(0xFFFFFF), clamp01(glow + grain));
        }
        return c;
    });
    return img;
}

Image floorTexture() {
    const int n = 512, tiles = 4, cell = n / tiles;
    static const int palette[8] = {0x2A0E4A, 0x0E2A4A, 0x3A0A2E, 0x0A3238, 0x2E2A08, 0x1A0E40, 0x40102A, 0x0E3A2A};
    Image img(n, n);
    img.paint([&](float x, float y) {
        const int tx = static_cast<int>(x) / cell, ty = static_cast<int>(y) / cell;
        const float u = (x - tx * cell) / cell, v = (y - ty * cell) / cell;
        const float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        Color base = rgb(palette[(tx * 3 + ty * 5) % 8]);
        // Polished: a soft sheen across each tile plus a little tileable grain.
        const float sheen = 0.35f * std::exp(-std::pow((u + v - 0.7f) / 0.35f, 2.0f));
        const float grain = valueNoise(x / 16.0f, y / 16.0f, n / 16, 9) * 0.12f;
        Color c = mix(base, rgb(0x9AA0FF), clamp01(sheen + grain));
        if (edge < 0.025f) c = rgb(0x05050A);
        else if (edge < 0.05f) c = mix(c, rgb(0xC8B4FF), 0.5f * (1.0f - (edge - 0.025f) / 0.025f));
        return c;
    });
    return img;
}

Image floorTexture2() {
    const int n = 512;
    Image img(n, n);
    img.paint([&](float x, float y) {
        float cloud = 0.0f, amp = 0.5f;
        for (int octave = 0; octave < 4; ++octave) {
            const int period = 4 << octave;
            cloud += amp * valueNoise(x / n * period, y / n * period, period, 17 + octave);
            amp *= 0.5f;
        }
        Color c = mix(rgb(0x0A0622), rgb(0x3C1A78), clamp01(cloud * 1.3f - 0.25f));
        c = mix(c, rgb(0x1E4AA0), clamp01(valueNoise(x / n * 3, y / n * 3, 3, 41) - 0.45f));
        return c;
    });
    Rng rng(77);
    for (int i = 0; i < 260; ++i) {
        const float x = rng.uniform() * n, y = rng.uniform() * n;
        const float size = 1.5f + 5.0f * std::pow(rng.uniform(), 4.0f);
        const Color tint = hueColor(rng.uniform(), 0.25f, 1.0f);
        // Stars near an edge are drawn again on the far side so the texture tiles.
        for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox) drawSparkle(img, x + ox * n, y + oy * n, size * 3.0f, tint);
    }
    for (Color& p : img.px) p.a = 1.0f;
    return img;
}

Image phong(bool warm) {
    const int n = 256;
    Image img(n, n);
    img.paint([&](float x, float y) {
        const float dx = (x - n * 0.5f) / (n * 0.5f), dy = (y - n * 0.5f) / (n * 0.5f);
        const float r = std::sqrt(dx * dx + dy * dy);
        const float core = std::pow(clamp01(1.0f - r), 2.5f);
        if (!warm) return Color{core, core, core, 1.0f};
        const float ring = 0.45f * std::exp(-std::pow((r - 0.62f) / 0.12f, 2.0f));
        Color c = mix(rgb(0x000000), rgb(0xFFD2A0), core);
        c.r = clamp01(c.r + core * 0.3f + ring * 0.3f);
        c.g = clamp01(c.g + ring * 0.5f);
        c.b = clamp01(c.b + ring * 1.0f);
        return c;
    });
    return img;
}

Image colormap() {
    const int w = 256, h = 16;
    Image img(w, h);
    img.paint([&](float x, float y) {
        const float hue = x / w * 2.0f;
        const float brightness = 1.0f - 0.65f * (static_cast<int>(y) / 15.0f);
        Color c = hueColor(hue, 0.85f, 1.0f);
        // Short white flashes between some colours: the strobe in the ramp.
        const float flash = std::exp(-std::pow(std::fmod(x, 32.0f) - 16.0f, 2.0f) / 6.0f) * 0.5f;
        c = mix(c, rgb(0xFFFFFF), flash);
        c.r *= brightness;
        c.g *= brightness;
        c.b *= brightness;
        return c;
    });
    return img;
}

}  // namespace

bool generateFloorPictures(const GenContext& ctx) {
    bool ok = ctx.data.writePng("floorbit.png", floorTile(), false);
    ok &= ctx.data.writePng("floortexture.png", floorTexture(), false);
    ok &= ctx.data.writePng("floortexture2.png", floorTexture2(), false);
    ok &= ctx.data.writePng("phong.png", phong(false), false);
    ok &= ctx.data.writePng("phong2.png", phong(true), false);
    ok &= ctx.data.writePng("colormap.png", colormap(), false);
    return ok;
}

}  // namespace assetgen
