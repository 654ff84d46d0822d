// A Direct3D device on the trace backend (lines collected) or on headless OpenGL.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9/backend.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"

namespace fxtest {

struct TraceLines : d3d9::TraceSink {
    std::vector<std::string> lines;
    void line(const char* text, std::size_t length) override { lines.emplace_back(text, length); }
};

inline IDirect3DDevice9* createDevice(d3d9::Backend backend, d3d9::TraceSink* sink, UINT width = 640,
                                      UINT height = 480, D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE) {
    d3d9::BackendConfig config;
    config.backend = backend;
    config.headless = true;
    config.traceSink = sink;
    d3d9::configure(config);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return nullptr;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = samples;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &pp, &device);
    d3d->Release();
    if (FAILED(hr)) ADD_FAILURE() << "CreateDevice failed: " << std::hex << hr;
    return SUCCEEDED(hr) ? device : nullptr;
}

inline std::string bufferText(ID3DXBuffer* b) {
    return b ? std::string(static_cast<const char*>(b->GetBufferPointer())) : std::string();
}

}  // namespace fxtest
