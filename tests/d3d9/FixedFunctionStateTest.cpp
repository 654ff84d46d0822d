// Fixed-function device state through the trace backend: D3D9's defaults, what is
// refused, what is kept, and the lines written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "d3d9/D3d9TestSupport.h"

using d3d9test::DeviceFixture;
using d3d9test::LineSink;

namespace {

D3DLIGHT9 spotLight() {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_SPOT;
    l.Diffuse = {1, 0.5f, 0.25f, 1};
    l.Position = {0, 2, 0};
    l.Direction = {0, -1, 0};
    l.Range = 10;
    l.Falloff = 1;
    l.Attenuation0 = 1;
    l.Theta = 0.5f;
    l.Phi = 1.0f;
    return l;
}

}  // namespace

TEST(FixedFunctionState, StartsAtD3D9Defaults) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    DWORD v = 0;
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(0, D3DTSS_COLOROP, &v));
    EXPECT_EQ(DWORD{D3DTOP_MODULATE}, v);
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(1, D3DTSS_COLOROP, &v));
    EXPECT_EQ(DWORD{D3DTOP_DISABLE}, v);
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(0, D3DTSS_ALPHAOP, &v));
    EXPECT_EQ(DWORD{D3DTOP_SELECTARG1}, v);
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(5, D3DTSS_TEXCOORDINDEX, &v));
    EXPECT_EQ(5u, v);
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(3, D3DTSS_COLORARG1, &v));
    EXPECT_EQ(D3DTA_TEXTURE, v);

    D3DMATRIX m{};
    ASSERT_EQ(D3D_OK, f.device->GetTransform(D3DTS_WORLDMATRIX(3), &m));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(r == c ? 1.0f : 0.0f, m.m[r][c]);

    ASSERT_EQ(D3D_OK, f.device->GetRenderState(D3DRS_TEXTUREFACTOR, &v));
    EXPECT_EQ(0xFFFFFFFFu, v);
    ASSERT_EQ(D3D_OK, f.device->GetRenderState(D3DRS_FOGEND, &v));
    float end;
    std::memcpy(&end, &v, sizeof end);
    EXPECT_EQ(1.0f, end);
    ASSERT_EQ(D3D_OK, f.device->GetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, &v));
    EXPECT_EQ(DWORD{D3DMCS_COLOR1}, v);
    ASSERT_EQ(D3D_OK, f.device->GetRenderState(D3DRS_SPECULARMATERIALSOURCE, &v));
    EXPECT_EQ(DWORD{D3DMCS_COLOR2}, v);
    DWORD fvf = 7;
    ASSERT_EQ(D3D_OK, f.device->GetFVF(&fvf));
    EXPECT_EQ(0u, fvf);
}

TEST(FixedFunctionState, KeepsWhatItTakesAndRefusesTheRest) {
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(nullptr));
    D3DMATRIX m{};
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = static_cast<float>(i + 1);
    ASSERT_EQ(D3D_OK, f.device->SetTransform(D3DTS_TEXTURE7, &m));
    D3DMATRIX back{};
    ASSERT_EQ(D3D_OK, f.device->GetTransform(D3DTS_TEXTURE7, &back));
    EXPECT_EQ(0, std::memcmp(&m, &back, sizeof m));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &m));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetTransform(D3DTS_WORLDMATRIX(4), &m));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetTransform(D3DTS_VIEW, nullptr));

    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD));
    EXPECT_EQ(D3DERR_INVALIDCALL,
              f.device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 1));
    EXPECT_EQ(D3DERR_INVALIDCALL,
              f.device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(1000), 1));
    ASSERT_EQ(D3D_OK, f.device->SetTextureStageState(7, D3DTSS_CONSTANT, 0x80FF0000u));
    DWORD v = 0;
    ASSERT_EQ(D3D_OK, f.device->GetTextureStageState(7, D3DTSS_CONSTANT, &v));
    EXPECT_EQ(0x80FF0000u, v);

    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetFVF(0xF00));  // fifteen coordinate sets
    ASSERT_EQ(D3D_OK, f.device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    ASSERT_EQ(D3D_OK, f.device->GetFVF(&v));
    EXPECT_EQ(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, v);

    // Lights: a bad one leaves the slot as it was; an index past the cap is refused.
    D3DLIGHT9 light = spotLight();
    ASSERT_EQ(D3D_OK, f.device->SetLight(2, &light));
    D3DLIGHT9 bad = light;
    bad.Theta = 1.5f;  // wider than Phi
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetLight(2, &bad));
    bad = light;
    bad.Range = std::nanf("");
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetLight(2, &bad));
    bad = light;
    bad.Direction = {0, 0, 0};
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetLight(2, &bad));
    bad.Type = static_cast<D3DLIGHTTYPE>(9);
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetLight(2, &bad));
    D3DLIGHT9 got{};
    ASSERT_EQ(D3D_OK, f.device->GetLight(2, &got));
    EXPECT_EQ(0, std::memcmp(&light, &got, sizeof light));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetLight(0xFFFFFFFFu, &light));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->LightEnable(0xFFFFFFFFu, TRUE));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->GetLight(1, &got));  // never set

    // Enabling a light never set gives D3D9's default light: white, along +z.
    ASSERT_EQ(D3D_OK, f.device->LightEnable(5, TRUE));
    ASSERT_EQ(D3D_OK, f.device->GetLight(5, &got));
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, got.Type);
    EXPECT_EQ(1.0f, got.Diffuse.r);
    EXPECT_EQ(1.0f, got.Direction.z);
    BOOL on = FALSE;
    ASSERT_EQ(D3D_OK, f.device->GetLightEnable(5, &on));
    EXPECT_TRUE(on);
    ASSERT_EQ(D3D_OK, f.device->GetLightEnable(2, &on));
    EXPECT_FALSE(on);

    D3DMATERIAL9 mat{};
    mat.Diffuse = {0.25f, 0.5f, 0.75f, 1};
    mat.Power = 8;
    ASSERT_EQ(D3D_OK, f.device->SetMaterial(&mat));
    D3DMATERIAL9 badMat = mat;
    badMat.Power = INFINITY;
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetMaterial(&badMat));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetMaterial(nullptr));
    D3DMATERIAL9 gotMat{};
    ASSERT_EQ(D3D_OK, f.device->GetMaterial(&gotMat));
    EXPECT_EQ(0, std::memcmp(&mat, &gotMat, sizeof mat));
}

TEST(FixedFunctionState, TracesOneLinePerCall) {
    LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    sink.lines.clear();
    D3DMATRIX m{};
    m._11 = 2;
    m._22 = 0.5f;
    m._33 = 1;
    m._43 = -3;
    m._44 = 1;
    f.device->SetTransform(D3DTS_WORLDMATRIX(1), &m);
    f.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
    f.device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATEALPHA_ADDCOLOR);
    f.device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD);
    f.device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    f.device->LightEnable(3, TRUE);
    const D3DLIGHT9 light = spotLight();
    f.device->SetLight(0, &light);
    ASSERT_EQ(7u, sink.lines.size());
    EXPECT_EQ("SetTransform D3DTS_WORLDMATRIX(1) 2 0 0 0 0 0.5 0 0 0 0 1 0 0 0 -3 1", sink.lines[0]);
    EXPECT_EQ("SetTextureStageState 0 D3DTSS_COLORARG1 D3DTA_TEXTURE|D3DTA_COMPLEMENT", sink.lines[1]);
    EXPECT_EQ("SetTextureStageState 1 D3DTSS_ALPHAOP D3DTOP_MODULATEALPHA_ADDCOLOR", sink.lines[2]);
    EXPECT_EQ("SetTextureStageState 8 D3DTSS_COLOROP D3DTOP_ADD failed 0x8876086c", sink.lines[3]);
    EXPECT_EQ("SetFVF 0x112", sink.lines[4]);
    EXPECT_EQ("LightEnable 3 TRUE", sink.lines[5]);
    EXPECT_EQ("SetLight 0 D3DLIGHT_SPOT 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 2 0 0 -1 0 10 1 1 0 0 0.5 1",
              sink.lines[6]);
}
