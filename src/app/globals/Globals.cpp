#include "app/globals/DisplaySettings.h"

DisplaySettings gDisplaySettings;
IDirect3D9* gD3D = nullptr;
IDirect3DDevice9* gDevice = nullptr;
