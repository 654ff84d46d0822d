#include "TraceDevice.h"

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

void releaseTraceDevice() {
    if (gDevice) gDevice->Release();
    gDevice = nullptr;
    if (gD3D) gD3D->Release();
    gD3D = nullptr;
    d3d9::configure(d3d9::BackendConfig{});
}

}  // namespace showtest
