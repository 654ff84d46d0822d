// What every fuzz target shares: a trace device in gDevice with nowhere to write, quiet
// message boxes, and a read-only stream over the input bytes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/win32/messagebox.h"

namespace fuzzing {

inline void ensureDevice() {
    static bool ready = false;
    if (ready) return;
    ready = true;
    win32::setMessageBoxesInteractive(false);
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    d3d9::configure(config);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                      &gDevice);
    gD3D = d3d;
}

// A stream over the input; fmemopen refuses empty buffers, so an empty input gets a
// stream over an empty file instead.
inline std::FILE* openBytes(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return std::tmpfile();
    return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

}  // namespace fuzzing
