// Greetings:
//   greets.png    1024 x 768, on transparency: "greetings to" over the sixteen group names
//                 in two columns along the left and right edges, for the finale's
//                 background. The middle column stays clear: from 139 s the group logo
//                 (Titles.cpp) stands there, and the sculpture turns in the centre.
//   marrowby.png  1024 x 256, the tunnel's greeting plates: a grid of 4 columns x 4 rows of
//                 cells, each 256 x 64 pixels, one plate per cell (a rounded dark glass plate
//                 with a neon rim and one group name). Cell n (0..15) is column n % 4, row
//                 n / 4, so in texture coordinates it spans
//                     u in [(n % 4) / 4, (n % 4 + 1) / 4],  v in [(n / 4) / 4, (n / 4 + 1) / 4].
//                 An effect picks the cell for a plate from its plate number "const0" with
//                 n = fmod(const0, 16) and maps the plate's own 0..1 coordinates into it.
//                 Plates are 4:1 in shape; the corners outside the rounded plate are clear.
#include "Greetings.h"

#include <algorithm>
#include <cmath>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

const char* const kGreetedGroups[kGreetingCount] = {
    "Moss Quarry",   "Lumen Drift",  "Pixel Orchard", "Brassneedle",  "Amberloop",  "Velvet Static",
    "Nightjar Works", "Copperfen",   "Saltmarsh Six", "Ember Choir",  "Glass Harbour", "Tidewire",
    "Rooklight",     "Owlbrook",     "Fernwhistle",   "Quietmint",
};

namespace {

constexpr const char* kBold = "DejaVuSans-Bold.ttf";

Image plates() {
    const int cw = 256, ch = 64;
    // Drawn at twice the size and halved, for clean small lettering and rims.
    const int s = 2;
    Image big(4 * cw * s, 4 * ch * s);
    const Font& font = Font::get(kBold);
    for (int n = 0; n < kGreetingCount; ++n) {
        const float x0 = (n % 4) * cw * s, y0 = (n / 4) * ch * s;
        const float w = cw * s, h = ch * s, r = 14.0f * s, inset = 4.0f * s;
        auto plate = [&](float x, float y) {
            const float px = std::fabs(x - (x0 + w * 0.5f)) - (w * 0.5f - inset) + r;
            const float py = std::fabs(y - (y0 + h * 0.5f)) - (h * 0.5f - inset) + r;
            return std::hypot(std::max(px, 0.0f), std::max(py, 0.0f)) + std::min(std::max(px, py), 0.0f) - r;
        };
        const Color hue = hueColor(n / 16.0f * 0.9f + 0.75f, 0.75f);
        const int cx0 = static_cast<int>(x0), cy0 = static_cast<int>(y0);
        const int cx1 = static_cast<int>(x0 + w), cy1 = static_cast<int>(y0 + h);
        Mask fill = shapeMask(big.width, big.height, plate, cx0, cy0, cx1, cy1);
        big.over(fill, [&](float, float y) {
            Color c = mix(rgb(0x281040), rgb(0x0A0418), (y - y0) / h);
            c.a = 0.92f;
            return c;
        });
        Mask rim = shapeMask(big.width, big.height, [&](float x, float y) { return std::fabs(plate(x, y) + 3.0f * s) - 1.5f * s; },
                             cx0, cy0, cx1, cy1);
        big.glow(blurred(rim, 6 * s), hue, 1.2f);
        big.over(rim, mix(hue, rgb(0xFFFFFF), 0.5f));
        const std::string name = kGreetedGroups[n];
        const float size = std::min(34.0f * s, 34.0f * s * (w - 40.0f * s) / font.measure(name, 34.0f * s, s));
        const float baseline = y0 + h * 0.5f + font.capHeight(size) * 0.5f;
        TextLook look;
        look.bottom = mix(hue, rgb(0xFFFFFF), 0.6f);
        look.glow = hue;
        look.glowRadius = 8 * s;
        look.outlineRadius = 2 * s;
        look.shine = 0.25f;
        drawLettering(big, textMask(big.width, big.height, font, name, x0 + w * 0.5f, baseline, size, Align::Center, s), look);
    }
    return downsample2(big);
}

Image greetList() {
    const int w = 1024, h = 768;
    Image img(w, h);
    TextLook head;
    head.bottom = rgb(0xFFD27A);
    head.glow = rgb(0xFF9A1F);
    head.glowRadius = 22;
    drawTextLine(img, "DejaVuSerif-BoldItalic.ttf", "greetings to", w * 0.5f, 92.0f, 60.0f, head, 1.0f);
    const Font& font = Font::get(kBold);
    // One size for every name, the largest at which the longest fits its column.
    const float columnWidth = 250.0f;
    float size = 40.0f;
    for (const char* name : kGreetedGroups)
        size = std::min(size, 40.0f * columnWidth / font.measure(name, 40.0f, 1.5f));
    for (int n = 0; n < kGreetingCount; ++n) {
        // Names 0-7 down the left column, 8-15 down the right one.
        const float cx = n < 8 ? 180.0f : 844.0f;
        const float baseline = 190.0f + (n % 8) * 70.0f;
        TextLook look;
        const Color hue = hueColor(n / 16.0f * 0.9f + 0.75f, 0.7f);
        look.bottom = mix(hue, rgb(0xFFFFFF), 0.55f);
        look.glow = hue;
        look.glowRadius = 12;
        look.outlineRadius = 3;
        drawLettering(img, textMask(w, h, font, kGreetedGroups[n], cx, baseline, size, Align::Center, 1.5f), look);
    }
    return img;
}

}  // namespace

bool generateGreetings(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    bool ok = ctx.data.writePng("marrowby.png", plates());
    ok &= ctx.data.writePng("greets.png", greetList());
    return ok;
}

}  // namespace assetgen
