// The window and device of the tool's interactive commands (live, fx --live): a window
// of the platform layer with the GL backend drawing into it, the depth surface made as
// the program makes it.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/window.h"

namespace tool {

struct ToolWindow {
    HWND window = nullptr;
    IDirect3DSurface9* depth = nullptr;
    const char* title = nullptr;
};

// Opens the window titled `title` (also its class name) and creates gD3D and gDevice on
// it, with a depth surface of `depth` (the show's is D24X8; effects may want stencil).
// False with a message on stderr; closeToolWindow still has to run.
bool openToolWindow(const char* title, unsigned width, unsigned height, ToolWindow& out,
                    D3DFORMAT depth = D3DFMT_D24X8);
void closeToolWindow(ToolWindow& window);

}  // namespace tool
