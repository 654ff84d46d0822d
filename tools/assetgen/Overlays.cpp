// The text overlays laid over the scenes (1024 x 768, stretched over the 640 x 480 screen),
// and "frames", the neon border with a transparent middle that lies over every scene.
// Lettering is pastel with a dark outline and a coloured glow, so it reads over bright and
// dark scenes alike. Files and what they say (the program knows each as the name one below):
//   overlay02  "VANTROOP presents"         overlay03  "GLIMMERHOP" title
//   overlay04  "put on your dancing shoes" (lower third)
//   overlay05  "greetings" / "fly out to"  overlay06  "see you on the dance floor"
//   overlay07  corner emblem: mirror ball and "glimmerhop" (upper right, stays up long)
//   overlay08  code: Trelkin   overlay09  music: Vobble   overlay10  graphics: Ruffwick
//              (credits in the lower left)
//   overlay11  "feel the bass"   overlay12  "keep on dancing"
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

namespace {

constexpr int kW = 1024, kH = 768;
constexpr const char* kBold = "DejaVuSans-Bold.ttf";
constexpr const char* kLight = "DejaVuSans.ttf";
constexpr const char* kItalic = "DejaVuSerif-BoldItalic.ttf";
constexpr const char* kCondensed = "DejaVuSansCondensed-Bold.ttf";

TextLook look(int bottom, int glow) {
    TextLook l;
    l.bottom = rgb(bottom);
    l.glow = rgb(glow);
    return l;
}
const TextLook kPink = look(0xFFC2F0, 0xFF3FD0);
const TextLook kCyan = look(0xB8F4FF, 0x20D8FF);
const TextLook kGold = look(0xFFD27A, 0xFF9A1F);
const TextLook kLime = look(0xD4FFB0, 0x6CFF3A);
const TextLook kViolet = look(0xE2CCFF, 0x9A5CFF);

TextLook thin(TextLook l) {
    l.outlineRadius = 3;
    l.glowRadius = 12;
    l.top = rgb(0xFFFFFF);
    l.bottom = rgb(0xFFFFFF);
    l.shine = 0.0f;
    return l;
}

struct Line {
    const char* font;
    std::string text;
    float x, baseline, size;
    TextLook look;
    float tracking = 0.0f;
    float slant = 0.0f;
};

Image card(const std::vector<Line>& lines) {
    Image img(kW, kH);
    for (const Line& l : lines) {
        const Font& font = Font::get(l.font);
        drawLettering(img, textMask(kW, kH, font, l.text, l.x, l.baseline, l.size, Align::Center, l.tracking, l.slant),
                      l.look);
    }
    return img;
}

// A short neon underline between two points on one row.
void neonBar(Image& img, float x0, float x1, float y, const Color& color) {
    Mask bar = shapeMask(kW, kH, [&](float x, float py) {
        const float cx = std::clamp(x, x0, x1);
        return std::hypot(x - cx, py - y) - 2.5f;
    });
    Mask halo = blurred(bar, 14);
    scaleMask(halo, 2.0f);
    img.over(halo, color);
    img.over(bar, rgb(0xFFFFFF));
}

Image credit(const std::string& role, const std::string& handle, const TextLook& l) {
    // Lower left, clear of the middle of the screen.
    const Font& font = Font::get(kBold);
    const float size = 96.0f;
    const float left = 110.0f;
    const float w = font.measure(handle, size, 2.0f);
    Image img = card({
        {kLight, role, left + font.measure(role, 40.0f, 10.0f) * 0.5f, 560.0f, 40.0f, thin(l), 10.0f},
        {kBold, handle, left + w * 0.5f, 660.0f, size, l, 2.0f},
    });
    neonBar(img, left, left + w, 685.0f, l.glow);
    return img;
}

// Top right: it stays up through the box room while the credits come and go lower left.
Image emblem() {
    Image img(kW, kH);
    const float ballX = kW - 150.0f, ballY = 150.0f;
    drawMirrorBall(img, ballX, ballY, 62.0f, 3);
    const Font& light = Font::get(kLight);
    const Font& bold = Font::get(kBold);
    drawLettering(img, textMask(kW, kH, bold, "glimmerhop", ballX - 86.0f, ballY + 2.0f, 54.0f, Align::Right, 1.0f),
                  kViolet);
    drawLettering(img, textMask(kW, kH, light, "A VANTROOP PRODUCTION", ballX - 90.0f, ballY + 45.0f, 24.0f,
                                Align::Right, 6.0f),
                  thin(kCyan));
    for (int i = 0; i < 5; ++i)
        drawSparkle(img, ballX + 30.0f + 75.0f * std::cos(i * 1.3f), ballY - 50.0f + 60.0f * std::sin(i * 2.1f),
                    16.0f + 4.0f * i, hueColor(0.8f + 0.07f * i, 0.4f));
    return img;
}

Image frames() {
    Image img(kW, kH);
    const float inset = 30.0f, radius = 26.0f;
    auto roundRect = [&](float x, float y) {
        const float hx = kW * 0.5f - inset, hy = kH * 0.5f - inset;
        const float px = std::fabs(x - kW * 0.5f) - hx + radius, py = std::fabs(y - kH * 0.5f) - hy + radius;
        return std::hypot(std::max(px, 0.0f), std::max(py, 0.0f)) + std::min(std::max(px, py), 0.0f) - radius;
    };
    // Outside the tube the screen edge darkens; inside the picture stays untouched.
    img.paint([&](float x, float y) {
        const float d = roundRect(x, y);
        return Color{0.02f, 0.0f, 0.06f, d > 0.0f ? clamp01(0.35f + d / 60.0f) * 0.8f : 0.0f};
    });
    // The neon tube, pink along the top turning cyan along the bottom.
    Mask tube = shapeMask(kW, kH, [&](float x, float y) { return std::fabs(roundRect(x, y)) - 3.0f; });
    auto tubeColor = [&](float x, float y) {
        const float t = clamp01(y / kH * 0.8f + x / kW * 0.2f);
        return mix(rgb(0xFF3FD0), rgb(0x20D8FF), t);
    };
    Mask halo = blurred(tube, 22);
    scaleMask(halo, 2.2f);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) img.add(x, y, tubeColor(x + 0.5f, y + 0.5f), halo.at(x, y) * 0.8f);
    img.over(tube, [&](float x, float y) { return mix(tubeColor(x, y), rgb(0xFFFFFF), 0.6f); });
    // Brighter brackets at the corners.
    Mask corners = shapeMask(kW, kH, [&](float x, float y) {
        const float cx = std::min(x, kW - x), cy = std::min(y, kH - y);
        if (cx > 140.0f || cy > 140.0f) return 100.0f;
        return std::fabs(roundRect(x, y) + 12.0f) - 2.0f;
    });
    img.glow(blurred(corners, 10), rgb(0xFFFFFF), 1.2f);
    img.over(corners, rgb(0xFFFFFF));
    // Small captions in the frame's corners.
    const Font& light = Font::get(kLight);
    drawLettering(img, textMask(kW, kH, light, "VANTROOP", 70.0f, 23.0f, 20.0f, Align::Left, 8.0f), thin(kPink));
    drawLettering(img, textMask(kW, kH, light, "GLIMMERHOP", kW - 70.0f, kH - 7.0f, 20.0f, Align::Right, 8.0f),
                  thin(kCyan));
    return img;
}

}  // namespace

bool generateOverlays(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    const float cx = kW * 0.5f;
    bool ok = true;
    ok &= ctx.data.writePng("overlay02.png", card({
        {kLight, "V A N T R O O P", cx, 380.0f, 64.0f, thin(kCyan), 12.0f},
        {kItalic, "presents", cx, 470.0f, 72.0f, kPink, 1.0f},
    }));
    {
        Image title = card({
            {kBold, "GLIMMERHOP", cx, 415.0f, 128.0f, kGold, 2.0f},
            {kLight, "a  disco  of  light", cx, 500.0f, 44.0f, thin(kPink), 8.0f},
        });
        for (int i = 0; i < 7; ++i)
            drawSparkle(title, 130.0f + i * 130.0f, (i % 2) ? 300.0f : 540.0f, 22.0f, hueColor(0.1f * i, 0.3f));
        ok &= ctx.data.writePng("overlay03.png", title);
    }
    ok &= ctx.data.writePng("overlay04.png", card({
        {kLight, "put on your", cx, 590.0f, 48.0f, thin(kCyan), 6.0f},
        {kBold, "DANCING SHOES", cx, 680.0f, 92.0f, kCyan, 3.0f},
    }));
    ok &= ctx.data.writePng("overlay05.png", card({
        {kItalic, "greetings", cx, 400.0f, 120.0f, kLime, 1.0f},
        {kLight, "FLY OUT TO", cx, 480.0f, 44.0f, thin(kCyan), 14.0f},
    }));
    ok &= ctx.data.writePng("overlay06.png", card({
        {kLight, "see you on the", cx, 360.0f, 52.0f, thin(kViolet), 6.0f},
        {kBold, "DANCE FLOOR", cx, 470.0f, 120.0f, kViolet, 2.0f},
    }));
    ok &= ctx.data.writePng("overlay07.png", emblem());
    ok &= ctx.data.writePng("overlay08.png", credit("CODE", "Trelkin", kCyan));
    ok &= ctx.data.writePng("overlay09.png", credit("MUSIC", "Vobble", kPink));
    ok &= ctx.data.writePng("overlay10.png", credit("GRAPHICS", "Ruffwick", kLime));
    ok &= ctx.data.writePng("overlay11.png", card({
        {kLight, "feel the", cx, 330.0f, 60.0f, thin(kGold), 8.0f},
        {kCondensed, "B A S S", cx, 480.0f, 170.0f, kGold, 4.0f},
    }));
    ok &= ctx.data.writePng("overlay12.png", card({
        {kItalic, "keep on", cx, 360.0f, 90.0f, kPink, 1.0f},
        {kBold, "DANCING", cx, 490.0f, 150.0f, kCyan, 4.0f},
    }));
    ok &= ctx.data.writePng("frames.png", frames());
    return ok;
}

}  // namespace assetgen
