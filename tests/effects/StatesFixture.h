// A small headless GL device drawing quads through RenderStates.fx, for the tests of
// render and sampler states: quads are given in D3D screen pixels (x right, y down).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3d9/internal.h"

namespace fxtest {

struct Rgba {
    int r, g, b, a;
};

inline DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class StatesFixture : public ::testing::Test {
protected:
    struct Vertex {
        float x, y, z, u, v;
    };
    static constexpr UINT kSize = 64;

    void open(D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE) {
        device = createDevice(d3d9::Backend::Gl, nullptr, kSize, kSize, samples);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(device, dataPath("RenderStates.fx").c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, &errors),
                  D3D_OK)
            << bufferText(errors);
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0}, D3DDECL_END()};
        ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
        ASSERT_EQ(device->CreateVertexBuffer(sizeof(Vertex) * 4, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices,
                                             nullptr),
                  D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
                  D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
        const std::uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(data, quad, sizeof quad);
        indices->Unlock();
        D3DXMatrixOrthoLH(&ortho, static_cast<float>(kSize), static_cast<float>(kSize), 0.0f, 1.0f);
        device->BeginScene();
    }
    void TearDown() override {
        if (texture) texture->Release();
        if (declaration) declaration->Release();
        if (vertices) vertices->Release();
        if (indices) indices->Release();
        if (effect) effect->Release();
        if (device) device->Release();
    }

    // A rectangle in screen pixels; clockwise on screen unless asked otherwise. Texture
    // coordinates run from (u0, v0) at the top left to (u1, v1) at the bottom right.
    void rectangle(float left, float top, float right, float bottom, float z = 0.5f, bool clockwise = true,
                   float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1) {
        const float h = kSize / 2.0f;
        Vertex tl{left - h, h - top, z, u0, v0}, tr{right - h, h - top, z, u1, v0};
        Vertex br{right - h, h - bottom, z, u1, v1}, bl{left - h, h - bottom, z, u0, v1};
        const Vertex cw[4] = {tl, tr, br, bl}, ccw[4] = {tl, bl, br, tr};
        void* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, clockwise ? cw : ccw, sizeof cw);
        vertices->Unlock();
    }
    void fullScreen(float z = 0.5f) { rectangle(-1, -1, kSize + 1.0f, kSize + 1.0f, z); }
    void setColor(float r, float g, float b, float a = 1.0f) {
        const float c[4] = {r, g, b, a};
        effect->SetFloatArray("color", c, 4);
    }
    void draw(const char* technique = "Flat") {
        effect->SetMatrix("matWorldViewProjection", &ortho);
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vertices, 0, sizeof(Vertex));
        device->SetIndices(indices);
        ASSERT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        for (UINT p = 0; p < passes; ++p) {
            effect->BeginPass(p);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
            effect->EndPass();
        }
        effect->End();
    }
    void clear(D3DCOLOR color, DWORD flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL) {
        device->Clear(0, nullptr, flags, color, 1.0f, 0);
    }
    // Reads the back buffer without ending the frame, so drawing may go on.
    void readBack() {
        UINT w = 0, h = 0;
        ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
        ASSERT_EQ(w, kSize);
        ASSERT_EQ(h, kSize);
    }
    Rgba at(int x, int y) const {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    // A checker of black and white texels on level 0: every lower level is mid grey.
    void makeChecker(UINT size) {
        std::vector<std::uint8_t> image(size * size * 4);
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x) {
                std::uint8_t* p = &image[(y * size + x) * 4];
                p[0] = p[1] = p[2] = ((x + y) & 1) ? 255 : 0;
                p[3] = 255;
            }
        ASSERT_EQ(d3d9::internal::createTexture(device, size, size, image.data(), "checker", &texture), D3D_OK);
        ASSERT_EQ(effect->SetTexture("checker", texture), D3D_OK);
    }

    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DXMATRIX ortho;
    std::vector<std::uint8_t> pixels;
};

inline ::testing::AssertionResult near(Rgba c, int r, int g, int b, int tolerance = 2) {
    if (std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << c.r << "," << c.g << "," << c.b << " want " << r << "," << g
                                         << "," << b;
}

}  // namespace fxtest
