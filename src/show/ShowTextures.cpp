#include "show/ShowTextures.h"

namespace show {

// The overlay names run one below their files, and "marrowby.png" is the greeting.
const char* const kShowTextureList[] = {
    "Tindermoot\\ruffwick01.png",   "ruff01",
    "Tindermoot\\char01.png",       "char01",
    "Tindermoot\\floorbit.png",     "floorTile",
    "Tindermoot\\floortexture.png", "floorTexture",
    "Tindermoot\\floortexture2.png", "floorTexture2",
    "Tindermoot\\phong.png",        "floorSpecular",
    "Tindermoot\\phong2.png",       "floorSpecular2",
    "Tindermoot\\colormap.png",     "colormap01",
    "Tindermoot\\overlay02.png",    "overlay01",
    "Tindermoot\\overlay03.png",    "overlay02",
    "Tindermoot\\overlay04.png",    "overlay03",
    "Tindermoot\\overlay05.png",    "overlay04",
    "Tindermoot\\overlay06.png",    "overlay05",
    "Tindermoot\\overlay07.png",    "overlay06",
    "Tindermoot\\overlay08.png",    "overlay07",
    "Tindermoot\\overlay09.png",    "overlay08",
    "Tindermoot\\overlay10.png",    "overlay09",
    "Tindermoot\\overlay11.png",    "overlay10",
    "Tindermoot\\overlay12.png",    "overlay11",
    "Tindermoot\\frames.png",       "frames",
    "Tindermoot\\vobble.png",       "vobble",
    "Tindermoot\\trelkin.png",      "trelkin",
    "Tindermoot\\ruffwick.png",     "ruffwick",
    "Tindermoot\\disco.png",        "disco",
    "Tindermoot\\dancing.png",      "dancing",
    "Tindermoot\\greets.png",       "greets",
    "Tindermoot\\vantroop.png",     "vantroop",
    "Tindermoot\\marrowby.png",     "greeting",
    nullptr,
};

}  // namespace show
