// Text drawing with stb_truetype and the DejaVu fonts: kerned, anti-aliased, positioned
// to sub-pixel precision, into coverage masks that Style.h turns into glowing lettering.
#pragma once

#include <string>
#include <vector>

#include "Image.h"

namespace assetgen {

class Font {
public:
    // fileName inside the DejaVu folder, e.g. "DejaVuSans-Bold.ttf". Loaded once, shared.
    static const Font& get(const char* fileName);

    bool valid() const { return valid_; }
    // Advance width of the text in pixels at the given height (ascent to descent).
    float measure(const std::string& text, float pixelHeight, float tracking = 0.0f) const;
    // Distance from the baseline to the top of capitals, in pixels.
    float capHeight(float pixelHeight) const;
    // Adds the glyphs' coverage into the mask (clamped to 1). x is the pen start, y the baseline.
    void draw(Mask& mask, const std::string& text, float x, float baseline, float pixelHeight,
              float tracking = 0.0f, float slant = 0.0f) const;

private:
    explicit Font(const std::string& path);
    std::vector<unsigned char> data_;
    std::vector<unsigned char> info_;  // stbtt_fontinfo, kept opaque here
    bool valid_ = false;
};

// True when every font the pictures use could be read; reports the missing ones on stderr.
// Picture steps check this first: lettering silently missing from a picture is worse than
// a failed build.
bool lettersAvailable();

enum class Align { Left, Center, Right };

// Convenience: a mask of the image size with one line of text placed by alignment.
Mask textMask(int width, int height, const Font& font, const std::string& text, float x, float baseline,
              float pixelHeight, Align align = Align::Center, float tracking = 0.0f, float slant = 0.0f);

}  // namespace assetgen
