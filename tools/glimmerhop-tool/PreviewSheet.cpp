#include "PreviewSheet.h"

#include <algorithm>
#include <cstdlib>

namespace tool {

PlotCanvas composeSheet(const std::vector<PreviewTile>& tiles, int tileWidth, int tileHeight) {
    const int count = std::max<int>(1, static_cast<int>(tiles.size()));
    const int columns = std::min(count, 4), rows = (count + columns - 1) / columns;
    const int cellHeight = tileHeight + kLabelHeight;
    PlotCanvas sheet(columns * tileWidth, rows * cellHeight, Rgb{24, 24, 28});
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const int x = static_cast<int>(i % columns) * tileWidth, y = static_cast<int>(i / columns) * cellHeight;
        const PreviewTile& t = tiles[i];
        if (t.rgba.size() == static_cast<std::size_t>(tileWidth) * tileHeight * 4)
            sheet.blitRgba(x, y, t.rgba.data(), tileWidth, tileHeight);
        // A name too long for the tile loses its end, marked with "..".
        std::string label = t.label;
        while (label.size() > 3 && PlotCanvas::textWidth(label.c_str()) > tileWidth - 8) {
            if (label.ends_with("..")) label.resize(label.size() - 2);
            label.pop_back();
            label += "..";
        }
        sheet.text(x + 4, y + tileHeight + 4, label.c_str(), Rgb{230, 230, 230});
        if (i % columns != 0) sheet.vline(x, y, y + cellHeight - 1, Rgb{24, 24, 28});
    }
    return sheet;
}

double drawnShare(const std::vector<std::uint8_t>& rgba, const std::uint8_t background[3]) {
    if (rgba.size() < 4) return 0;
    std::size_t differing = 0;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const int d = std::abs(rgba[i] - background[0]) + std::abs(rgba[i + 1] - background[1]) +
                      std::abs(rgba[i + 2] - background[2]);
        if (d > 6) ++differing;
    }
    return static_cast<double>(differing) / static_cast<double>(rgba.size() / 4);
}

}  // namespace tool
