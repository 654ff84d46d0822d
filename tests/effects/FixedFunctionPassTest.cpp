// An effect pass without shaders draws through the device's fixed-function pipeline:
// pre-transformed vertices from a declaration, coloured by the texture stages. A pass
// with one shader gets the other stage from the same pipeline, linked by semantic.
#include <gtest/gtest.h>

#include <cstring>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3d9/internal.h"

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};

}  // namespace

TEST(FixedFunctionPass, DrawsPretransformedVerticesThroughTheTextureStages) {
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, 8, 8);
    if (!device) GTEST_SKIP() << "no headless OpenGL here";
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateEffectFromFileA(device, fxtest::dataPath("FixedFunction.fx").c_str(), nullptr,
                                                nullptr, 0, nullptr, &effect, &errors))
        << fxtest::bufferText(errors);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
        {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(elements, &declaration));
    ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, 0, D3DPOOL_MANAGED, &vb, nullptr));
    ASSERT_EQ(D3D_OK, device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr));
    // The left half of the target, pixels 0..3, in green.
    const D3DCOLOR green = D3DCOLOR_ARGB(255, 0, 255, 0);
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, green}, {3.5f, -0.5f, 0.5f, 1, green},
                                  {3.5f, 7.5f, 0.5f, 1, green}, {-0.5f, 7.5f, 0.5f, 1, green}};
    const WORD indices[6] = {0, 1, 2, 0, 2, 3};
    void* data = nullptr;
    ASSERT_EQ(D3D_OK, vb->Lock(0, 0, &data, 0));
    std::memcpy(data, quad, sizeof quad);
    vb->Unlock();
    ASSERT_EQ(D3D_OK, ib->Lock(0, 0, &data, 0));
    std::memcpy(data, indices, sizeof indices);
    ib->Unlock();

    auto drawPass = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        UINT passes = 0;
        ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
        ASSERT_EQ(1u, passes);
        ASSERT_EQ(D3D_OK, effect->BeginPass(0));
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
        device->SetIndices(ib);
        ASSERT_EQ(D3D_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
        effect->EndPass();
        effect->End();
    };
    auto pixel = [&](UINT x, UINT y) {
        std::vector<std::uint8_t> rgba;
        UINT w = 0, h = 0;
        EXPECT_TRUE(d3d9::readBackBuffer(device, rgba, w, h));
        const std::uint8_t* p = &rgba[(y * w + x) * 4];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    ASSERT_EQ(D3D_OK, effect->SetTechnique("Plain"));
    drawPass();
    EXPECT_EQ(0x00FF00, pixel(0, 0));
    EXPECT_EQ(0x00FF00, pixel(3, 7));
    EXPECT_EQ(0x000000, pixel(4, 0));

    // The stages apply: the texture factor replaces the vertex colour.
    device->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(255, 255, 0, 255));
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    drawPass();
    EXPECT_EQ(0xFF00FF, pixel(1, 1));

    // The pass sets the stages and the factor; End puts back the device's magenta.
    ASSERT_EQ(D3D_OK, effect->SetTechnique("FromThePass"));
    drawPass();
    EXPECT_EQ(0x0000FF, pixel(1, 1));
    const float yellow[4] = {1, 1, 0, 1};
    effect->SetFloatArray("factor", yellow, 4);
    drawPass();
    EXPECT_EQ(0xFFFF00, pixel(1, 1));
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    drawPass();
    EXPECT_EQ(0xFFFF00, pixel(1, 1));  // the pass's own argument wins
    ASSERT_EQ(D3D_OK, effect->SetTechnique("Plain"));
    drawPass();
    EXPECT_EQ(0x00FF00, pixel(1, 1));  // restored: the diffuse argument set before Begin

    ib->Release();
    vb->Release();
    declaration->Release();
    effect->Release();
    device->Release();
}

namespace {

struct ReadBack {
    std::vector<std::uint8_t> rgba;
    UINT w = 0, h = 0;
    int at(UINT x, UINT y, int channel) const { return rgba[(y * w + x) * 4 + static_cast<UINT>(channel)]; }
};

}  // namespace

TEST(FixedFunctionPass, OneShaderPassesTakeTheOtherStageFromTheFixedPipeline) {
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, 8, 8);
    if (!device) GTEST_SKIP() << "no headless OpenGL here";
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateEffectFromFileA(device, fxtest::dataPath("OneShader.fx").c_str(), nullptr,
                                                nullptr, 0, nullptr, &effect, &errors))
        << fxtest::bufferText(errors);
    auto draw = [&](const char* technique, DWORD fvf, const void* vertices, UINT stride) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        UINT passes = 0;
        ASSERT_EQ(D3D_OK, effect->SetTechnique(technique));
        ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
        ASSERT_EQ(D3D_OK, effect->BeginPass(0));
        device->SetFVF(fvf);
        ASSERT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, stride));
        effect->EndPass();
        effect->End();
    };
    ReadBack r;

    // The vertex shader's colour, modulated by stage 0's texture: a red texel on the
    // left and a blue one on the right, point sampled. (1, 0, 0) x (1, 1, 0.5) is red,
    // (0, 0, 1) x (1, 1, 0.5) is half blue.
    const std::uint8_t texels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, d3d9::internal::createTexture(device, 2, 1, texels, "red-blue", &texture));
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    struct ClipVertex {
        float x, y, z, u, v;
    };
    const ClipVertex screen[4] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};
    draw("VertexOnly", D3DFVF_XYZ | D3DFVF_TEX1, screen, sizeof(ClipVertex));
    ASSERT_TRUE(d3d9::readBackBuffer(device, r.rgba, r.w, r.h));
    for (UINT y : {1u, 6u}) {
        EXPECT_EQ(255, r.at(1, y, 0));
        EXPECT_EQ(0, r.at(1, y, 2));
        EXPECT_EQ(0, r.at(6, y, 0));
        EXPECT_NEAR(128, r.at(6, y, 2), 1);
    }
    device->SetTexture(0, nullptr);
    texture->Release();

    // The pixel shader reads the diffuse colour and the coordinates of pre-transformed
    // vertices: (0x80, 0.25, 0.75) comes out as (128, 64, 191) on the left half.
    struct ScreenVertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
        float u, v;
    };
    const D3DCOLOR c = D3DCOLOR_ARGB(255, 0x80, 0, 0);
    const ScreenVertex left[4] = {{-0.5f, -0.5f, 0.5f, 1, c, 0.25f, 0.75f}, {3.5f, -0.5f, 0.5f, 1, c, 0.25f, 0.75f},
                                  {-0.5f, 7.5f, 0.5f, 1, c, 0.25f, 0.75f}, {3.5f, 7.5f, 0.5f, 1, c, 0.25f, 0.75f}};
    draw("PixelOnly", D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, left, sizeof(ScreenVertex));
    ASSERT_TRUE(d3d9::readBackBuffer(device, r.rgba, r.w, r.h));
    EXPECT_NEAR(128, r.at(0, 0, 0), 1);
    EXPECT_NEAR(64, r.at(3, 7, 1), 1);
    EXPECT_NEAR(191, r.at(2, 3, 2), 1);
    EXPECT_EQ(0, r.at(4, 0, 0) + r.at(4, 0, 1) + r.at(4, 0, 2));
    effect->Release();
    device->Release();
}
