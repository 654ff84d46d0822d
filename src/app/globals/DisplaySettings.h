// The display settings the setup dialog fills, and the process-wide Direct3D objects.
#pragma once

#include "platform/d3d9/d3d9.h"

struct DisplaySettings {
    D3DDISPLAYMODE displayMode{0, 0, 0, D3DFMT_UNKNOWN};
    bool fullscreen = false;
    D3DMULTISAMPLE_TYPE multisampleType = D3DMULTISAMPLE_NONE;
    UINT modeCount = 0;
    bool vsync = true;
    float aspectRatio = 4.0f / 3.0f;
};

extern DisplaySettings gDisplaySettings;
extern IDirect3D9* gD3D;
extern IDirect3DDevice9* gDevice;
