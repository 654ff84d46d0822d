#include "ToolWindow.h"

#include <cstdio>

#include "RenderRun.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"

namespace tool {

namespace {

bool openWindow(const char* title, unsigned width, unsigned height, HWND& window) {
    static WNDCLASSEXA windowClass{};
    windowClass.cbSize = kWndClassExASize32;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = title;
    if (!RegisterClassExA(&windowClass)) {
        std::fprintf(stderr, "%s: cannot register the window class\n", title);
        return false;
    }
    window = CreateWindowExA(0, title, title, WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, static_cast<int>(width),
                             static_cast<int>(height), nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "%s: cannot open the window (is there a display?)\n", title);
        return false;
    }
    return true;
}

}  // namespace

bool openToolWindow(const char* title, unsigned width, unsigned height, ToolWindow& out, D3DFORMAT depth) {
    out.title = title;
    d3d9::configure(d3d9::BackendConfig{});
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!gD3D) {
        std::fprintf(stderr, "%s: cannot create the Direct3D object\n", title);
        return false;
    }
    if (!openWindow(title, width, height, out.window)) return false;
    gDisplaySettings.displayMode = D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = D3DMULTISAMPLE_NONE;
    gDisplaySettings.aspectRatio = nearestAspect(width, height);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = width;
    params.BackBufferHeight = height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 3;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.AutoDepthStencilFormat = depth;
    params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    if (FAILED(gD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, out.window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &params, &gDevice)) ||
        !gDevice) {
        gDevice = nullptr;
        std::fprintf(stderr, "%s: cannot create the device on the window\n", title);
        return false;
    }
    if (FAILED(gDevice->CreateDepthStencilSurface(width, height, depth, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                  &out.depth, nullptr)) ||
        FAILED(gDevice->SetDepthStencilSurface(out.depth))) {
        std::fprintf(stderr, "%s: cannot create the depth surface\n", title);
        return false;
    }
    return true;
}

void closeToolWindow(ToolWindow& w) {
    if (w.depth) w.depth->Release();
    w.depth = nullptr;
    releaseDevice();
    if (w.window) DestroyWindow(w.window);
    w.window = nullptr;
    if (w.title) UnregisterClassA(w.title, nullptr);
}

}  // namespace tool
