// Titles and the group logo, on transparency:
//   disco.png     1024 x 256  "DISCO" as pink neon tubes
//   dancing.png   1024 x 256  "dancing" as cyan neon script
//   vantroop.png  1024 x 768  the group logo for the finale and the outro: a mirror ball
//                             over "VANTROOP" in glowing chrome, "glimmerhop" beneath,
//                             all within the middle column (x 330 to 694) that the
//                             greetings (Greetings.cpp) leave clear, below their heading.
// And, outside the data set, the desktop icons: the logo's mirror ball at 48, 128 and
// 256 pixels square (generated/icons/glimmerhop-N.png).
#include <cmath>
#include <string>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

namespace {

Image neonWord(const char* font, const char* word, float size, float slant, const Color& color) {
    Image img(1024, 256);
    const Mask m = textMask(1024, 256, Font::get(font), word, 512.0f, 128.0f + Font::get(font).capHeight(size) * 0.5f,
                            size, Align::Center, 6.0f, slant);
    drawNeonText(img, m, color, 7.0f, 10);
    return img;
}

Image logo() {
    const int w = 1024, h = 768;
    Image img(w, h);
    // A soft dark backdrop so the logo reads over the busy finale as well as over black.
    img.paint([&](float x, float y) {
        const float dx = (x - 512.0f) / 230.0f, dy = (y - 400.0f) / 260.0f;
        const float a = 0.6f * std::exp(-(dx * dx + dy * dy) * 2.2f);
        return Color{0.03f, 0.0f, 0.08f, a < 0.004f ? 0.0f : a};
    });
    // Light rays from behind the ball.
    for (int i = 0; i < 9; ++i) {
        const float a = -3.14159f * (0.25f + 0.5f * i / 8.0f);
        drawLightBeam(img, 512.0f, 300.0f, a, 0.06f, 150.0f, hueColor(0.75f + 0.05f * i, 0.5f), 0.45f);
    }
    drawMirrorBall(img, 512.0f, 300.0f, 82.0f, 11);
    TextLook chrome;
    chrome.top = rgb(0xFFFFFF);
    chrome.bottom = rgb(0xFF9AD8);
    chrome.glow = rgb(0xC040FF);
    chrome.glowRadius = 26;
    chrome.glowStrength = 1.1f;
    chrome.outlineRadius = 5;
    chrome.shine = 0.5f;
    drawTextLine(img, "DejaVuSans-Bold.ttf", "VANTROOP", 512.0f, 500.0f, 58.0f, chrome, 4.0f);
    TextLook sub;
    sub.top = rgb(0xFFFFFF);
    sub.bottom = rgb(0xB8F4FF);
    sub.glow = rgb(0x20D8FF);
    sub.glowRadius = 14;
    sub.outlineRadius = 3;
    sub.shine = 0.0f;
    drawTextLine(img, "DejaVuSans.ttf", "g l i m m e r h o p", 512.0f, 556.0f, 26.0f, sub, 6.0f);
    for (int i = 0; i < 4; ++i)
        drawSparkle(img, 380.0f + i * 88.0f, i % 2 ? 410.0f : 610.0f, 16.0f, hueColor(0.8f + 0.05f * i, 0.3f));
    return img;
}

// The square [x0, x0 + side) x [y0, y0 + side) of `src` averaged down to size x size
// pixels. Premultiplied pixels average without dark fringes at transparent edges.
Image squareCrop(const Image& src, int x0, int y0, int side, int size) {
    Image out(size, size);
    const float step = static_cast<float>(side) / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int sx0 = x0 + static_cast<int>(x * step), sx1 = x0 + static_cast<int>((x + 1) * step);
            const int sy0 = y0 + static_cast<int>(y * step), sy1 = y0 + static_cast<int>((y + 1) * step);
            Color sum{0, 0, 0, 0};
            int n = 0;
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx) {
                    if (sx < 0 || sy < 0 || sx >= src.width || sy >= src.height) continue;
                    const Color& c = src.at(sx, sy);
                    sum.r += c.r, sum.g += c.g, sum.b += c.b, sum.a += c.a;
                    ++n;
                }
            if (n > 0) out.at(x, y) = Color{sum.r / n, sum.g / n, sum.b / n, sum.a / n};
        }
    return out;
}

}  // namespace

bool generateIcons(const GenContext& ctx) {
    const Image full = logo();
    // The ball and its rays, above the lettering, which would not read at icon sizes.
    bool ok = true;
    for (int size : {48, 128, 256})
        ok &= ctx.generated.writePng("icons/glimmerhop-" + std::to_string(size) + ".png",
                                     squareCrop(full, 372, 82, 280, size));
    return ok;
}

bool generateTitles(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    bool ok = ctx.data.writePng("disco.png", neonWord("DejaVuSans-Bold.ttf", "DISCO", 190.0f, 0.0f, rgb(0xFF3FD0)));
    ok &= ctx.data.writePng("dancing.png", neonWord("DejaVuSerif-BoldItalic.ttf", "dancing", 170.0f, 0.1f, rgb(0x20D8FF)));
    ok &= ctx.data.writePng("vantroop.png", logo());
    return ok;
}

}  // namespace assetgen
