// Titles and the group logo, on transparency:
//   disco.png     1024 x 256  "DISCO" as pink neon tubes
//   dancing.png   1024 x 256  "dancing" as cyan neon script
//   vantroop.png  1024 x 768  the group logo for the finale and the outro: a mirror ball
//                             over "VANTROOP" in glowing chrome, "glimmerhop" beneath,
//                             all within the middle column (x 330 to 694) that the
//                             greetings (Greetings.cpp) leave clear, below their heading.
#include <cmath>

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

}  // namespace

bool generateTitles(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    bool ok = ctx.data.writePng("disco.png", neonWord("DejaVuSans-Bold.ttf", "DISCO", 190.0f, 0.0f, rgb(0xFF3FD0)));
    ok &= ctx.data.writePng("dancing.png", neonWord("DejaVuSerif-BoldItalic.ttf", "dancing", 170.0f, 0.1f, rgb(0x20D8FF)));
    ok &= ctx.data.writePng("vantroop.png", logo());
    return ok;
}

}  // namespace assetgen
