// The pictures around the show:
//   loading.png  1024 x 768, opaque: the loading screen. A mirror ball throws beams over a
//                violet room with a neon floor grid; "VANTROOP" above "GLIMMERHOP", and
//                "loading" at the bottom.
//   setup.bmp    125 x 200, 24-bit: the picture in the setup dialog (a small poster of the
//                same scene), written to the build's generated folder for embedding.
#include <cmath>

#include "Image.h"
#include "Steps.h"
#include "Style.h"

namespace assetgen {

namespace {

// The shared poster: room, beams, ball and floor, at any size (coordinates scale with w).
Image poster(int w, int h, float ballY, float ballR, float horizon) {
    Image img(w, h);
    img.paint([&](float x, float y) {
        const float dx = (x - w * 0.5f) / w, dy = (y - ballY) / h;
        const float glow = std::exp(-(dx * dx + dy * dy) * 6.0f);
        Color c = mix(rgb(0x07030F), rgb(0x2C0E52), glow);
        if (y > horizon) c = mix(c, rgb(0x10062A), clamp01((y - horizon) / (h - horizon)));
        return c;
    });
    const float scale = w / 1024.0f;
    for (int i = 0; i < 11; ++i) {
        const float a = 0.35f + i * 0.245f;
        drawLightBeam(img, w * 0.5f, ballY, a, 0.05f, 900.0f * scale * 1.2f, hueColor(0.08f * i + 0.75f, 0.6f), 0.35f);
    }
    drawPerspectiveGrid(img, horizon, rgb(0xFF3FD0));
    drawMirrorBall(img, w * 0.5f, ballY, ballR, 7);
    return img;
}

Image loadingScreen() {
    const int w = 1024, h = 768;
    Image img = poster(w, h, 190.0f, 95.0f, 520.0f);
    TextLook small;
    small.top = small.bottom = rgb(0xFFFFFF);
    small.glow = rgb(0x20D8FF);
    small.glowRadius = 12;
    small.outlineRadius = 2;
    small.shine = 0.0f;
    drawTextLine(img, "DejaVuSans.ttf", "V A N T R O O P", w * 0.5f, 365.0f, 40.0f, small, 10.0f);
    TextLook title;
    title.bottom = rgb(0xFFD27A);
    title.glow = rgb(0xFF3FD0);
    title.glowRadius = 24;
    title.shine = 0.45f;
    drawTextLine(img, "DejaVuSans-Bold.ttf", "GLIMMERHOP", w * 0.5f, 480.0f, 130.0f, title, 2.0f);
    drawTextLine(img, "DejaVuSans.ttf", "loading . . .", w * 0.5f, 700.0f, 34.0f, small, 6.0f);
    for (Color& p : img.px) p.a = 1.0f;
    return img;
}

Image setupPicture() {
    // Drawn at twice the size, then halved.
    const int w = 250, h = 400;
    Image img = poster(w, h, 120.0f, 62.0f, 300.0f);
    TextLook title;
    title.bottom = rgb(0xFFD27A);
    title.glow = rgb(0xFF3FD0);
    title.glowRadius = 8;
    title.outlineRadius = 2;
    title.shine = 0.3f;
    drawTextLine(img, "DejaVuSansCondensed-Bold.ttf", "GLIMMERHOP", w * 0.5f, 262.0f, 40.0f, title, 1.0f);
    TextLook small = title;
    small.top = small.bottom = rgb(0xFFFFFF);
    small.glow = rgb(0x20D8FF);
    small.shine = 0.0f;
    drawTextLine(img, "DejaVuSans-Bold.ttf", "VANTROOP", w * 0.5f, 218.0f, 24.0f, small, 6.0f);
    for (Color& p : img.px) p.a = 1.0f;
    return downsample2(img);
}

}  // namespace

bool generateLoadingPicture(const GenContext& ctx) {
    return lettersAvailable() && ctx.data.writePng("loading.png", loadingScreen(), false);
}

bool generateSetupBitmap(const GenContext& ctx) {
    if (!lettersAvailable()) return false;
    Image picture = setupPicture();
    // 250 / 2 = 125 wide, 400 / 2 = 200 high: the dialog's picture size.
    return ctx.generated.writeBmp24("setup.bmp", picture);
}

}  // namespace assetgen
