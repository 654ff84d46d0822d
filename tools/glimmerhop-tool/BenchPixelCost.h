// What a pixel costs on this machine's renderer: full-screen layers of a trivial
// textured, blended draw, timed against the same frames without them.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace tool {

// Milliseconds per million pixels drawn at the device's back-buffer size; a negative
// value when it could not be measured. Leaves the device's states as D3D9's defaults
// for the ones it touches.
double measurePixelCost(IDirect3DDevice9* device, unsigned width, unsigned height);

}  // namespace tool
