// glimmerhop-tool live: the show in a window, played with its music from any time, with
// a timeline strip, seeking and hot reload. The same Show as the program's, on the same
// kind of window and device, driven by a loop of its own.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "Command.h"
#include "CommandLine.h"
#include "LiveSession.h"
#include "RenderRun.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/win32/hwnd.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/window.h"
#include "show/Show.h"

namespace tool {
namespace {

const char* const kDescription =
    "Plays the show with its music in a window (no setup dialog), from music time T, and\n"
    "reloads every data file of Tindermoot/ as soon as it is saved: effects, pictures,\n"
    "meshes, scenes with their light and camera files, and the sync file. A file that does\n"
    "not load shows its message in a panel while the last good version keeps drawing.\n"
    "\n"
    "Keys: Space pause/resume; Left/Right 1 s (Shift: 5 s; Ctrl while paused: one frame);\n"
    "Page Up/Down previous/next scene; Home the start; L loop the current scene (again:\n"
    "off); Tab show/hide the strip (click or drag on it to seek); Escape quits.";

const char* const kFooter =
    "With GLIMMERHOP_DEBUG_POSITION set, the music position goes to standard error once a\n"
    "second and after every seek, pause and resume.";

const char* const kTitle = "Vantroop - Glimmerhop - live";

// The program's kind of window and device: a window of the platform layer, the GL
// backend drawing into it, the depth surface made as the program makes it.
bool openWindowAndDevice(const LiveOptions& o, HWND& window, IDirect3DSurface9*& depth) {
    d3d9::configure(d3d9::BackendConfig{});
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!gD3D) {
        std::fprintf(stderr, "live: cannot create the Direct3D object\n");
        return false;
    }
    static WNDCLASSEXA windowClass{};
    windowClass.cbSize = kWndClassExASize32;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kTitle;
    if (!RegisterClassExA(&windowClass)) {
        std::fprintf(stderr, "live: cannot register the window class\n");
        return false;
    }
    window = CreateWindowExA(0, kTitle, kTitle, WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0,
                             static_cast<int>(o.width), static_cast<int>(o.height), nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "live: cannot open the window (is there a display?)\n");
        return false;
    }
    gDisplaySettings.displayMode = D3DDISPLAYMODE{o.width, o.height, 60, D3DFMT_X8R8G8B8};
    gDisplaySettings.fullscreen = false;
    gDisplaySettings.multisampleType = D3DMULTISAMPLE_NONE;
    gDisplaySettings.aspectRatio = nearestAspect(o.width, o.height);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = o.width;
    params.BackBufferHeight = o.height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 3;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24X8;
    params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    if (FAILED(gD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &params, &gDevice)) ||
        !gDevice) {
        gDevice = nullptr;
        std::fprintf(stderr, "live: cannot create the device on the window\n");
        return false;
    }
    if (FAILED(gDevice->CreateDepthStencilSurface(o.width, o.height, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                  &depth, nullptr)) ||
        FAILED(gDevice->SetDepthStencilSurface(depth))) {
        std::fprintf(stderr, "live: cannot create the depth surface\n");
        return false;
    }
    return true;
}

void closeWindowAndDevice(HWND window, IDirect3DSurface9* depth) {
    if (depth) depth->Release();
    releaseDevice();
    if (window) DestroyWindow(window);
    UnregisterClassA(kTitle, nullptr);
}

int run(int argc, char** argv) {
    LiveOptions options;
    std::string dataDir;
    Size size{options.width, options.height};
    CommandLine cl("live", kDescription, kFooter);
    cl.time("--from", options.from, "music time to start at (default 0)", 0.0);
    cl.size(size, 64, 16384, "window and picture size (default 960x540)");
    cl.dataFolder(dataDir);
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    options.width = size.width;
    options.height = size.height;
    if (!enterDataDirectory(dataDir)) return 1;
    // Messages go to the terminal and the panel, never into boxes that stop the show.
    win32::setMessageBoxesInteractive(false);

    HWND window = nullptr;
    IDirect3DSurface9* depth = nullptr;
    int code = 1;
    if (openWindowAndDevice(options, window, depth)) {
        Show show;
        show.load();
        LiveSession session(show, options);
        code = session.run(win32::sdlWindowOf(window));
    }
    closeWindowAndDevice(window, depth);
    return code;
}

const ToolCommand command{"live", "play the show in a window with a timeline strip, seeking and hot reload", run};

}  // namespace
}  // namespace tool
