#include "TraceDevice.h"

#include <cstring>

#include "app/globals/DisplaySettings.h"
#include "audio/SyncData.h"
#include "platform/bass/clock.h"
#include "platform/win32/messagebox.h"

namespace showtest {

void createTraceDevice(d3d9::TraceSink* sink) {
    win32::setMessageBoxesInteractive(false);
    bass::useDrivenClock(true);
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    config.traceSink = sink;
    d3d9::configure(config);
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 640;
    params.BackBufferHeight = 480;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    gD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                       &params, &gDevice);
    // The beat latches live for the whole program; each run starts as a fresh one.
    gBeatDetector = BeatDetector{};
}

unsigned countNonFinite(const char* text, std::size_t length) {
    unsigned count = 0;
    std::size_t start = 0;
    while (start < length) {
        std::size_t end = start;
        while (end < length && text[end] != ' ') ++end;
        const char* w = text + start;
        std::size_t n = end - start;
        if (n > 0 && (w[0] == '-' || w[0] == '+')) {
            ++w;
            --n;
        }
        if (n == 3 && (std::strncmp(w, "nan", 3) == 0 || std::strncmp(w, "inf", 3) == 0)) ++count;
        start = end + 1;
    }
    return count;
}

void releaseTraceDevice() {
    if (gDevice) gDevice->Release();
    gDevice = nullptr;
    if (gD3D) gD3D->Release();
    gD3D = nullptr;
    d3d9::configure(d3d9::BackendConfig{});
}

}  // namespace showtest
