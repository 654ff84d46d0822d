// The one table of D3D9 formats: each format the device knows, its name, its texel size
// and what it may be used for. Validation and trace names read it; gl/GlEnums.cpp
// gives each its GL storage.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

enum FormatUse : unsigned {
    kFormatTexture = 1,         // textures the program fills (lock, load)
    kFormatTargetTexture = 2,   // textures made with D3DUSAGE_RENDERTARGET
    kFormatDepth = 4,           // depth-stencil surfaces
    kFormatIndex = 8,           // index buffers
    kFormatDisplay = 16,        // adapter modes and the back buffer
    kFormatMultisample = 32,    // CheckDeviceMultiSampleType says yes
};

struct FormatRow {
    D3DFORMAT format;
    const char* name;
    unsigned bytes;      // per texel or index
    unsigned uses;       // FormatUse bits
    unsigned depthBits;  // for depth formats
    bool alphaOne;       // no alpha channel: alpha reads as 1
};

// The format's row, or null for one the device does not know.
const FormatRow* findFormat(DWORD format);
bool formatAllows(DWORD format, unsigned uses);

}  // namespace d3d9::detail
