// The contact sheet of an effect preview: one tile a technique, its name under it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PlotCanvas.h"

namespace tool {

struct PreviewTile {
    std::string label;
    std::vector<std::uint8_t> rgba;  // tile width x height, rows top first; empty: not drawn
};

constexpr int kLabelHeight = 22;

// Tiles in rows of up to four, the labels in a strip below each tile (so that the tops
// of the tiles hold only what was drawn).
PlotCanvas composeSheet(const std::vector<PreviewTile>& tiles, int tileWidth, int tileHeight);

// The share of pixels (0..1) that differ from `background` (RGB) by more than a little.
double drawnShare(const std::vector<std::uint8_t>& rgba, const std::uint8_t background[3]);

}  // namespace tool
