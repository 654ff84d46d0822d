#include "Text.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

#ifndef GH_DEJAVU_DIR
#define GH_DEJAVU_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace assetgen {

namespace {
const stbtt_fontinfo* infoOf(const std::vector<unsigned char>& storage) {
    return reinterpret_cast<const stbtt_fontinfo*>(storage.data());
}
}  // namespace

Font::Font(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot open font %s\n", path.c_str());
        return;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    if (size > 0) {
        data_.resize(static_cast<size_t>(size));
        if (std::fread(data_.data(), 1, data_.size(), f) != data_.size()) data_.clear();
    }
    std::fclose(f);
    info_.resize(sizeof(stbtt_fontinfo));
    auto* info = reinterpret_cast<stbtt_fontinfo*>(info_.data());
    valid_ = !data_.empty() && stbtt_InitFont(info, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0)) != 0;
    if (!valid_) std::fprintf(stderr, "assetgen: cannot read font %s\n", path.c_str());
}

const Font& Font::get(const char* fileName) {
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<Font>> fonts;
    std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<Font>& slot = fonts[fileName];
    if (!slot) slot.reset(new Font(std::string(GH_DEJAVU_DIR) + "/" + fileName));
    return *slot;
}

float Font::measure(const std::string& text, float pixelHeight, float tracking) const {
    if (!valid_) return 0.0f;
    const stbtt_fontinfo* info = infoOf(info_);
    const float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
    float x = 0.0f;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, c, &advance, &lsb);
        x += advance * scale;
        if (i + 1 < text.size()) {
            x += stbtt_GetCodepointKernAdvance(info, c, static_cast<unsigned char>(text[i + 1])) * scale;
            x += tracking;
        }
    }
    return x;
}

float Font::capHeight(float pixelHeight) const {
    if (!valid_) return 0.0f;
    const stbtt_fontinfo* info = infoOf(info_);
    int x0, y0, x1, y1;
    if (!stbtt_GetCodepointBox(info, 'H', &x0, &y0, &x1, &y1)) return pixelHeight * 0.7f;
    return y1 * stbtt_ScaleForPixelHeight(info, pixelHeight);
}

void Font::draw(Mask& mask, const std::string& text, float x, float baseline, float pixelHeight, float tracking,
                float slant) const {
    if (!valid_) return;
    const stbtt_fontinfo* info = infoOf(info_);
    const float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
    float pen = x;
    std::vector<unsigned char> glyph;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        const float fx = pen - std::floor(pen);
        const float fy = baseline - std::floor(baseline);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(info, c, scale, scale, fx, fy, &x0, &y0, &x1, &y1);
        const int gw = x1 - x0, gh = y1 - y0;
        if (gw > 0 && gh > 0) {
            glyph.assign(static_cast<size_t>(gw) * gh, 0);
            stbtt_MakeCodepointBitmapSubpixel(info, glyph.data(), gw, gh, gw, scale, scale, fx, fy, c);
            const int ox = static_cast<int>(std::floor(pen)) + x0;
            const int oy = static_cast<int>(std::floor(baseline)) + y0;
            for (int gy = 0; gy < gh; ++gy) {
                // Slant shears rows above the baseline to the right (an oblique look).
                const float shear = slant * static_cast<float>(-(y0 + gy));
                const int sx = static_cast<int>(std::floor(shear));
                const float sf = shear - sx;
                for (int gx = 0; gx < gw; ++gx) {
                    const float v = glyph[static_cast<size_t>(gy) * gw + gx] / 255.0f;
                    if (v <= 0.0f) continue;
                    const int px = ox + gx + sx, py = oy + gy;
                    if (py < 0 || py >= mask.height) continue;
                    if (px >= 0 && px < mask.width) mask.at(px, py) = std::min(1.0f, mask.at(px, py) + v * (1.0f - sf));
                    if (px + 1 >= 0 && px + 1 < mask.width && sf > 0.0f)
                        mask.at(px + 1, py) = std::min(1.0f, mask.at(px + 1, py) + v * sf);
                }
            }
        }
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, c, &advance, &lsb);
        pen += advance * scale;
        if (i + 1 < text.size()) {
            pen += stbtt_GetCodepointKernAdvance(info, c, static_cast<unsigned char>(text[i + 1])) * scale;
            pen += tracking;
        }
    }
}

bool lettersAvailable() {
    bool ok = true;
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf",
                             "DejaVuSerif-BoldItalic.ttf"})
        ok &= Font::get(file).valid();
    return ok;
}

Mask textMask(int width, int height, const Font& font, const std::string& text, float x, float baseline,
              float pixelHeight, Align align, float tracking, float slant) {
    Mask m(width, height);
    const float w = font.measure(text, pixelHeight, tracking);
    float start = x;
    if (align == Align::Center) start = x - w * 0.5f;
    if (align == Align::Right) start = x - w;
    font.draw(m, text, start, baseline, pixelHeight, tracking, slant);
    return m;
}

}  // namespace assetgen
