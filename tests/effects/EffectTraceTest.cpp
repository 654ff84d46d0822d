#include <gtest/gtest.h>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"

namespace {

class EffectTrace : public ::testing::Test {
protected:
    void SetUp() override {
        device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, fxtest::dataPath("Showcase.fx").c_str(), nullptr, nullptr,
                                               D3DXSHADER_DEBUG, nullptr, &effect, &errors);
        ASSERT_EQ(hr, D3D_OK) << fxtest::bufferText(errors);
        ASSERT_TRUE(effect);
        EXPECT_EQ(errors, nullptr);
        trace.lines.clear();
    }
    void TearDown() override {
        if (effect) effect->Release();
        if (device) device->Release();
    }
    DWORD state(D3DRENDERSTATETYPE s) {
        DWORD v = 0xdeadbeef;
        device->GetRenderState(s, &v);
        return v;
    }

    fxtest::TraceLines trace;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
};

TEST_F(EffectTrace, BeginGivesThePassCountOfTheTechnique) {
    UINT passes = 99;
    // The first technique is current until one is chosen.
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(effect->End(), D3D_OK);
    EXPECT_EQ(effect->SetTechnique("AdditiveOverlay"), D3D_OK);
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 3u);
    EXPECT_EQ(effect->BeginPass(3), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->BeginPass(2), D3D_OK);
    EXPECT_EQ(effect->EndPass(), D3D_OK);
    EXPECT_EQ(effect->EndPass(), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->End(), D3D_OK);
    // An unknown technique fails and keeps the current one.
    EXPECT_EQ(effect->SetTechnique("Nope"), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTechnique("additiveoverlay"), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 3u);
    effect->End();
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);  // outside Begin/End

    D3DXEFFECT_DESC desc{};
    ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Parameters, 11u);
    EXPECT_EQ(desc.Techniques, 2u);
}

TEST_F(EffectTrace, LinesAreExact) {
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = static_cast<float>(i) + 0.5f;
    const float eye[3] = {1.25f, -2.0f, 1e-3f};
    UINT passes = 0;
    effect->SetFloat("time", 130.0f);
    effect->SetMatrix("matWorld", &m);
    effect->SetFloatArray("CameraPosition", eye, 3);
    effect->SetTexture("tex0", nullptr);
    effect->SetBool("usealpha", FALSE);
    effect->SetTechnique("Plain");
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    effect->EndPass();
    effect->End();
    const std::vector<std::string> expected = {
        "SetFloat Showcase.fx time 130",
        "SetMatrix Showcase.fx matWorld 0.5 1.5 2.5 3.5 4.5 5.5 6.5 7.5 8.5 9.5 10.5 11.5 12.5 13.5 14.5 15.5",
        "SetFloatArray Showcase.fx CameraPosition 1.25 -2 0.00100000005",
        "SetTexture Showcase.fx tex0 null",
        "SetBool Showcase.fx usealpha 0",
        "SetTechnique Showcase.fx Plain",
        "Begin Showcase.fx 1",
        "BeginPass Showcase.fx 0",
        "SetRenderState D3DRS_ZENABLE D3DZB_TRUE",
        "SetRenderState D3DRS_ZWRITEENABLE FALSE",
        "SetRenderState D3DRS_CULLMODE D3DCULL_NONE",
        "EndPass Showcase.fx",
        "End Showcase.fx",
    };
    ASSERT_GE(trace.lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(trace.lines[i], expected[i]) << "line " << i;
}

TEST_F(EffectTrace, UndeclaredNamesFailWithoutEffect) {
    const float v[4] = {1, 2, 3, 4};
    D3DXMATRIX m{};
    EXPECT_EQ(effect->SetFloat("noSuchName", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloatArray("noSuchName", v, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetMatrix("noSuchName", &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetBool("noSuchName", TRUE), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTexture("noSuchName", nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
    // Names are case-sensitive, and types must fit.
    EXPECT_EQ(effect->SetFloat("Time", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat("tex0", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTexture("time", nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetMatrix("time", &m), D3DERR_INVALIDCALL);
    // The trace still records what the program asked for.
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_EQ(trace.lines[0], "SetFloat Showcase.fx noSuchName 1");
    EXPECT_EQ(trace.lines[5], "SetFloat Showcase.fx null 1");
    // Declared names still work afterwards.
    EXPECT_EQ(effect->SetFloat("time", 2.0f), D3D_OK);
    EXPECT_EQ(effect->SetFloatArray("CameraPosition", v, 4), D3D_OK);  // extra values are ignored
}

TEST_F(EffectTrace, EndRestoresWhatThePassesChanged) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    UINT passes = 0;
    effect->SetTechnique("AdditiveOverlay");
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    effect->BeginPass(0);
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(state(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    effect->EndPass();
    effect->BeginPass(2);
    EXPECT_EQ(state(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(state(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_WIREFRAME));
    effect->EndPass();
    effect->End();
    EXPECT_EQ(state(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(state(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(state(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(state(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));

    // D3DXFX_DONOTSAVESTATE leaves the pass's states in place.
    ASSERT_EQ(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE), D3D_OK);
    effect->BeginPass(2);
    effect->EndPass();
    effect->End();
    EXPECT_EQ(state(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
}

TEST_F(EffectTrace, PassStatesCanComeFromParameters) {
    UINT passes = 0;
    effect->SetTechnique("AdditiveOverlay");
    effect->SetBool("usealpha", FALSE);
    effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(1);
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(state(D3DRS_ALPHAREF), 0x80u);
    EXPECT_EQ(state(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATER));
    effect->EndPass();
    effect->End();
    effect->SetBool("usealpha", TRUE);
    effect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    effect->BeginPass(1);
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), 1u);
    effect->EndPass();
    effect->End();
}

TEST(EffectCreate, CompileErrorsComeBackAsText) {
    fxtest::TraceLines trace;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
    ASSERT_TRUE(device);
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(0x1);
    ID3DXBuffer* errors = nullptr;
    std::string path = fxtest::dataPath("Broken.fx");
    HRESULT hr = D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, nullptr, &effect,
                                           &errors);
    EXPECT_EQ(hr, D3DXERR_INVALIDDATA);
    EXPECT_EQ(effect, nullptr);
    ASSERT_TRUE(errors);
    std::string text = fxtest::bufferText(errors);
    EXPECT_NE(text.find(path + "(9): error: "), std::string::npos) << text;
    EXPECT_EQ(errors->GetBufferSize(), text.size() + 1);
    errors->Release();

    // A missing file fails too, with a text for the message box.
    hr = D3DXCreateEffectFromFileA(device, "Tindermoot\\missing.fx", nullptr, nullptr, 0, nullptr, &effect, &errors);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(effect, nullptr);
    ASSERT_TRUE(errors);
    EXPECT_NE(fxtest::bufferText(errors).find("Tindermoot\\missing.fx"), std::string::npos);
    errors->Release();

    EXPECT_EQ(D3DXCreateEffectFromFileA(device, nullptr, nullptr, nullptr, 0, nullptr, &effect, nullptr),
              D3DERR_INVALIDCALL);
    device->Release();
}

TEST(EffectCreate, MacrosFromTheCaller) {
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, nullptr);
    ASSERT_TRUE(device);
    // Macros.fx only compiles when WANTED is defined.
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    std::string path = fxtest::dataPath("Macros.fx");
    EXPECT_EQ(D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors),
              D3DXERR_INVALIDDATA);
    if (errors) errors->Release();
    const D3DXMACRO macros[] = {{"WANTED", "2"}, {nullptr, nullptr}};
    ASSERT_EQ(D3DXCreateEffectFromFileA(device, path.c_str(), macros, nullptr, 0, nullptr, &effect, &errors), D3D_OK)
        << fxtest::bufferText(errors);
    UINT passes = 0;
    EXPECT_EQ(effect->SetTechnique("Twice"), D3D_OK);
    effect->Begin(&passes, 0);
    EXPECT_EQ(passes, 2u);
    effect->End();
    effect->Release();
    device->Release();
}

}  // namespace
