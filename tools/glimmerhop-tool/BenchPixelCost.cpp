#include "BenchPixelCost.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/backend.h"

namespace tool {
namespace {

using Clock = std::chrono::steady_clock;

struct LayerVertex {
    float x, y, z, rhw, u, v;
};

// A small half-transparent texture: sampled and blended as a show's layer would be.
IDirect3DTexture9* layerTexture(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) return nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int y = 0; y < 64; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 64; ++x) row[x] = ((x ^ y) & 8) ? 0x80ffc040u : 0x80204080u;
        }
        texture->UnlockRect(0);
    }
    return texture;
}

// One frame of `layers` full-screen layers, presented and read back: milliseconds.
double frameMs(IDirect3DDevice9* device, const LayerVertex* quad, int layers, std::vector<std::uint8_t>& pixels) {
    const Clock::time_point start = Clock::now();
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000u, 1.0f, 0);
    for (int i = 0; i < layers; ++i) device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof *quad);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    UINT w = 0, h = 0;
    d3d9::readBackBuffer(device, pixels, w, h);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

double measurePixelCost(IDirect3DDevice9* device, unsigned width, unsigned height) {
    IDirect3DTexture9* texture = layerTexture(device);
    if (!texture) return -1.0;
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // D3D9 pixel centres: the quad's edges at -0.5 cover every pixel once.
    const LayerVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0}, {w - 0.5f, -0.5f, 0, 1, 1, 0},
                                 {-0.5f, h - 0.5f, 0, 1, 0, 1}, {w - 0.5f, h - 0.5f, 0, 1, 1, 1}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    std::vector<std::uint8_t> pixels;
    constexpr int kLayers = 8, kRounds = 7;
    frameMs(device, quad, kLayers, pixels);  // the program is built on first sight
    // Alternating, so that a busy machine weighs on both sides alike.
    std::vector<double> with, without;
    for (int i = 0; i < kRounds; ++i) {
        without.push_back(frameMs(device, quad, 0, pixels));
        with.push_back(frameMs(device, quad, kLayers, pixels));
    }
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    texture->Release();
    const double layersMs = std::max(median(with) - median(without), 0.0);
    return layersMs / (kLayers * static_cast<double>(width) * height / 1e6);
}

}  // namespace tool
