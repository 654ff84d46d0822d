// glimmerhop-tool live: the show in a window, played with its music from any time, with
// a timeline strip, seeking and hot reload. The same Show as the program's, on the same
// kind of window and device, driven by a loop of its own.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Command.h"
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

const char* const kUsage =
    "usage: glimmerhop-tool live [--from T] [--size WxH] [--data DIR]\n"
    "\n"
    "Plays the show with its music in a window (no setup dialog), from music time T, and\n"
    "reloads every data file of Tindermoot/ as soon as it is saved: effects, pictures,\n"
    "meshes, scenes with their light and camera files, and the sync file. A file that does\n"
    "not load shows its message in a panel while the last good version keeps drawing.\n"
    "\n"
    "Keys: Space pause/resume; Left/Right 1 s (Shift: 5 s; Ctrl while paused: one frame);\n"
    "Page Up/Down previous/next scene; Home the start; L loop the current scene (again:\n"
    "off); Tab show/hide the strip (click or drag on it to seek); Escape quits.\n"
    "\n"
    "  --from T      music time to start at (default 0)\n"
    "  --size WxH    window and picture size (default 960x540)\n"
    "  --data DIR    directory holding Tindermoot/ (default: the working directory)\n"
    "With GLIMMERHOP_DEBUG_POSITION set, the music position goes to standard error once a\n"
    "second and after every seek, pause and resume.\n";

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
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--from") == 0 && hasValue) {
            char* end = nullptr;
            options.from = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end || !(options.from >= 0)) {
                std::fprintf(stderr, "live: bad time '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%ux%u", &options.width, &options.height) != 2 || options.width < 64 ||
                options.height < 64 || options.width > 16384 || options.height > 16384) {
                std::fprintf(stderr, "live: bad size '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--data") == 0 && hasValue) {
            dataDir = argv[++i];
        } else {
            std::fprintf(stderr, "live: unknown option '%s'\n%s", a, kUsage);
            return 2;
        }
    }
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

const ToolCommand command{"live", "play the show in a window with a timeline strip, seeking and hot reload", kUsage,
                          run};

}  // namespace
}  // namespace tool
