// Helpers for the Direct3D 9 stand-in tests: a sink that keeps trace lines, and devices
// made on either backend.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/backend.h"
#include "platform/d3d9/d3d9.h"

namespace d3d9test {

struct LineSink : d3d9::TraceSink {
    std::vector<std::string> lines;
    void line(const char* text, std::size_t length) override { lines.emplace_back(text, length); }
};

inline D3DPRESENT_PARAMETERS presentParams(UINT width, UINT height,
                                           D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 3;
    pp.MultiSampleType = samples;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    return pp;
}

// A Direct3D object and device of one backend; released in reverse order.
struct DeviceFixture {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DSurface9* depth = nullptr;

    bool create(const d3d9::BackendConfig& config, UINT width, UINT height,
                D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE, bool withDepth = true) {
        d3d9::configure(config);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!d3d) return false;
        D3DPRESENT_PARAMETERS pp = presentParams(width, height, samples);
        if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                     &pp, &device))) {
            return false;
        }
        if (!withDepth) return true;
        return SUCCEEDED(device->CreateDepthStencilSurface(width, height, D3DFMT_D24S8, samples, 0,
                                                           TRUE, &depth, nullptr)) &&
               SUCCEEDED(device->SetDepthStencilSurface(depth));
    }
    bool createTrace(d3d9::TraceSink* sink, UINT width = 640, UINT height = 480) {
        d3d9::BackendConfig config;
        config.backend = d3d9::Backend::Trace;
        config.traceSink = sink;
        return create(config, width, height);
    }
    bool createHeadless(UINT width, UINT height, D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE) {
        d3d9::BackendConfig config;
        config.headless = true;
        return create(config, width, height, samples);
    }
    ~DeviceFixture() {
        if (depth) depth->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
        d3d9::configure(d3d9::BackendConfig{});
    }
};

}  // namespace d3d9test
