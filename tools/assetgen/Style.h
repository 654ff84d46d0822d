// The look shared by the pictures: glowing lettering, mirror balls, sparkles and light
// beams, all drawn onto transparent or opaque pictures.
#pragma once

#include "Image.h"
#include "Text.h"

namespace assetgen {

struct TextLook {
    Color top = rgb(0xFFFFFF);       // fill gradient, top of the letters
    Color bottom = rgb(0xFFD6F5);    // ... and bottom
    Color outline = rgb(0x12061F, 0.85f);
    int outlineRadius = 4;
    Color glow = rgb(0xFF4FD8);
    int glowRadius = 18;
    float glowStrength = 0.9f;
    float shine = 0.35f;             // white band across the upper half of the letters
};

// Draws text coverage as lettering: soft coloured glow, dark outline, gradient fill.
void drawLettering(Image& image, const Mask& text, const TextLook& look);

// One line of lettering centred on (cx, baseline).
void drawTextLine(Image& image, const char* fontFile, const std::string& text, float cx, float baseline,
                  float pixelHeight, const TextLook& look, float tracking = 0.0f, float slant = 0.0f);

// A faceted mirror ball with coloured reflections; opaque inside its circle.
void drawMirrorBall(Image& image, float cx, float cy, float radius, uint32_t seed);

// A four-pointed star of light (additive).
void drawSparkle(Image& image, float x, float y, float size, const Color& color);

// A cone of light from (x, y) towards angle (radians, 0 = right, y down), fading along its length.
void drawLightBeam(Image& image, float x, float y, float angle, float spread, float length, const Color& color,
                   float strength);

// Rectangle bounds of a mask's coverage, for gradients that span the letters.
struct Bounds {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};
Bounds coverageBounds(const Mask& m);

// Neon-tube lettering: the letters' outline as a glowing tube of the given width.
void drawNeonText(Image& image, const Mask& text, const Color& color, float tubeWidth, int glowRadius);

// Halves both dimensions by averaging 2 x 2 blocks (draw large, then shrink for clean edges).
Image downsample2(const Image& image);

// A neon floor grid in perspective below the horizon line y0, fading out towards it.
void drawPerspectiveGrid(Image& image, float horizon, const Color& color);

}  // namespace assetgen
