// Pass states evaluated when the pass begins and sent through the device call that names
// them; End puts back what Begin found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3d9/internal.h"

namespace {

class PassStates : public ::testing::Test {
protected:
    void load(const char* file) {
        device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, fxtest::dataPath(file).c_str(), nullptr, nullptr, 0, nullptr,
                                               &effect, &errors);
        ASSERT_EQ(hr, D3D_OK) << fxtest::bufferText(errors);
        trace.lines.clear();
    }
    void TearDown() override {
        if (effect) effect->Release();
        if (device) device->Release();
    }
    // The device calls of one BeginPass, without the effect's own line.
    std::vector<std::string> beginPass(UINT pass) {
        trace.lines.clear();
        effect->BeginPass(pass);
        std::vector<std::string> lines(trace.lines.begin() + (trace.lines.empty() ? 0 : 1), trace.lines.end());
        effect->EndPass();
        return lines;
    }

    fxtest::TraceLines trace;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
};

TEST_F(PassStates, ExpressionsTakeTheParametersAtBeginPass) {
    load("PassStates.fx");
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    // alpha 0.25, add false, cutoff 0.5, mode 1, tint.y 0.5
    EXPECT_EQ(beginPass(0), (std::vector<std::string>{
                                "SetRenderState D3DRS_ALPHABLENDENABLE FALSE",
                                "SetRenderState D3DRS_SRCBLEND D3DBLEND_SRCALPHA",
                                "SetRenderState D3DRS_ALPHAREF 127",
                                "SetRenderState D3DRS_STENCILREF 4",
                                "SetRenderState D3DRS_STENCILMASK 0x3",
                                "SetRenderState D3DRS_COLORWRITEENABLE 0x3",
                                "SetRenderState D3DRS_DESTBLEND D3DBLEND_SRCCOLOR",
                                "SetRenderState D3DRS_ZFUNC 4294967295",
                                "SetRenderState D3DRS_STENCILWRITEMASK 0x1f",  // weights[2] + 1: the index clamps
                                "SetRenderState D3DRS_DEPTHBIAS 0.5",          // floats stay floats
                                "SetRenderState D3DRS_SLOPESCALEDEPTHBIAS 2",
                                "SetRenderState D3DRS_BLENDFACTOR 0xffff8000",  // (1, 0.5, 0, 1) as ARGB
                            }));
    const float tint[4] = {0, 1, 0, 0};
    effect->SetFloat("alpha", 0.75f);
    effect->SetBool("add", TRUE);
    effect->SetFloat("cutoff", 1.0f);
    effect->SetInt("mode", 2);
    effect->SetFloatArray("tint", tint, 4);
    effect->SetInt("pick", -5);
    EXPECT_EQ(beginPass(0), (std::vector<std::string>{
                                "SetRenderState D3DRS_ALPHABLENDENABLE TRUE",
                                "SetRenderState D3DRS_SRCBLEND D3DBLEND_ONE",
                                "SetRenderState D3DRS_ALPHAREF 255",
                                "SetRenderState D3DRS_STENCILREF 7",
                                "SetRenderState D3DRS_STENCILMASK 0x4",
                                "SetRenderState D3DRS_COLORWRITEENABLE 0x4",
                                "SetRenderState D3DRS_DESTBLEND D3DBLEND_INVSRCALPHA",
                                "SetRenderState D3DRS_ZFUNC 4294967295",
                                "SetRenderState D3DRS_STENCILWRITEMASK 0xa",  // weights[0] + 0
                                "SetRenderState D3DRS_DEPTHBIAS 1",
                                "SetRenderState D3DRS_SLOPESCALEDEPTHBIAS 6",
                                "SetRenderState D3DRS_BLENDFACTOR 0xff00",
                            }));
    effect->End();
}


// Intrinsics, casts, constructors and swizzles, over x = 0.75 and v = (1, 2, 3, 4).
TEST(StateExpressions, IntrinsicsCastsConstructorsAndSwizzles) {
    std::vector<fx::Parameter> params(2);
    params[0].name = "x";
    params[0].initial = {0x3F400000u};  // 0.75f
    params[1].name = "v";
    params[1].cols = 4;
    params[1].initial = {0x3F800000u, 0x40000000u, 0x40400000u, 0x40800000u};
    const std::uint32_t offsets[2] = {0, 1};
    const std::uint32_t words[5] = {0x3F400000u, 0x3F800000u, 0x40000000u, 0x40400000u, 0x40800000u};
    fx::ExprNames names;
    names.parameter = [](const std::string& n) { return n == "x" ? 0 : n == "v" ? 1 : -1; };
    const std::pair<const char*, float> cases[] = {
        {"saturate(x * 2)", 1.0f},     {"lerp(2, 4, x)", 3.5f},       {"(int)(x * 10) / 4", 1.0f},
        {"float2(x, 3).y", 3.0f},      {"frac(x + 1.5)", 0.25f},      {"-x * 4", -3.0f},
        {"abs(-x)", 0.75f},            {"clamp(x * 10, 1, 5)", 5.0f}, {"step(0.5, x)", 1.0f},
        {"max(x, 2) - floor(2.5)", 0.0f}, {"v.w - v.x", 3.0f},        {"v[x * 4]", 4.0f},
        {"(bool)x + true", 2.0f},      {"v.bgr.y * (x >= 0.75)", 2.0f},
    };
    for (const auto& [text, want] : cases) {
        const std::vector<fx::Token> tokens = fx::tokenize(text);
        fx::StateExpression e;
        std::string error;
        ASSERT_TRUE(fx::parseStateExpression(tokens, 0, tokens.size() - 1, params, names, e, error)) << text << ": " << error;
        EXPECT_TRUE(e.usesParameters) << text;
        fx::ExprValue v;
        fx::evaluateStateExpression(e, params, words, offsets, v);
        EXPECT_FLOAT_EQ(v.v[0], want) << text;
    }
}

// Each bad value fails the file with its line and a message, never a crash.
TEST(PassStateErrors, BadValuesFailWithTheirLine) {
    const std::string deep = std::string(300, '(') + "cutoff" + std::string(300, ')');
    std::string chain = "cutoff";
    for (int i = 0; i < 300; ++i) chain += " + cutoff";
    const std::pair<std::string, const char*> cases[] = {
        {"AlphaRef = (cutoff * );", "invalid value for AlphaRef"},
        {"AlphaRef = (nosuch + cutoff);", "unknown name 'nosuch'"},
        {"AlphaRef = " + deep + ";", "nests too deeply"},
        {"AlphaRef = " + chain + ";", "too long"},
        {"AlphaRef = tint.q + cutoff;", "invalid swizzle"},
        {"AlphaRef = tint.xyzwx + cutoff;", "invalid swizzle"},
        {"AlphaRef = clamp(cutoff, 1);", "takes 3 arguments"},
        {"AlphaRef = (tex + 1);", "has no value"},
        {"ColorOp[8] = Modulate;", "out of range"},
        {"Sampler[0] = <cutoff>;", "'cutoff' is not a sampler"},
        {"Texture[0] = <cutoff>;", "'cutoff' is not a texture"},
        {"ViewTransform[1] = <world>;", "takes no index"},
        {"LightDiffuse[0] = (cutoff ? 1 : );", "invalid value for LightDiffuse"},
        {"VertexShader = (vs[cutoff]); PixelShader = (ps[cutoff]);", "at most 64"},
    };
    for (const auto& [state, message] : cases) {
        // Nine shaders of each kind: 81 pairs when both are picked.
        std::string shaders = "VertexShader vs[9] = {";
        for (int i = 0; i < 9; ++i) shaders += std::string(i ? ", " : "") + "compile vs_2_0 V" + std::to_string(i) + "()";
        shaders += "}; PixelShader ps[9] = {";
        for (int i = 0; i < 9; ++i) shaders += std::string(i ? ", " : "") + "compile ps_2_0 P" + std::to_string(i) + "()";
        shaders += "};";
        const std::string source = "float cutoff;\nfloat4 tint;\nfloat4x4 world;\ntexture tex;\n" + shaders +
                                   "technique t { pass p {\n" + state + "\n} }\n";
        fx::EffectDescription d;
        fx::ParseError e;
        EXPECT_FALSE(fx::parseEffect(source, d, e)) << state;
        EXPECT_EQ(e.line, 6) << state;
        EXPECT_NE(e.message.find(message), std::string::npos) << state << ": " << e.message;
    }
}

// Every cut of the two files either fails with a message or loads, and a cut that loads
// runs its passes; damaged bytes in the state values do the same.
TEST(PassStateErrors, CutAndDamagedFilesFailOrRunCleanly) {
    fxtest::TraceLines trace;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
    ASSERT_TRUE(device);
    int ran = 0;
    for (const char* file : {"PassStates.fx", "DeviceStates.fx"}) {
        const std::string source = fxtest::readData(file);
        for (std::size_t n = source.size() % 7; n <= source.size(); n += 7) {  // ends with the whole file
            for (int damage = 0; damage < 2; ++damage) {
                std::string text = source.substr(0, n);
                if (damage && n > 0) text[n / 2] = "(<.[?|"[n % 6];
                ID3DXEffect* effect = nullptr;
                ID3DXBuffer* errors = nullptr;
                const std::string path = ::testing::TempDir() + "cut.fx";
                FILE* f = std::fopen(path.c_str(), "wb");
                ASSERT_TRUE(f);
                std::fwrite(text.data(), 1, text.size(), f);
                std::fclose(f);
                if (FAILED(D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                                     &errors))) {
                    EXPECT_NE(fxtest::bufferText(errors).find("cut.fx("), std::string::npos) << file << " cut at " << n;
                    if (errors) errors->Release();
                    continue;
                }
                UINT passes = 0;
                if (SUCCEEDED(effect->Begin(&passes, 0))) {
                    for (UINT p = 0; p < passes; ++p) {
                        effect->BeginPass(p);
                        effect->EndPass();
                        ++ran;
                    }
                    effect->End();
                }
                effect->Release();
            }
        }
    }
    EXPECT_GT(ran, 0);
    device->Release();
}

TEST_F(PassStates, DeviceStatesGoThroughTheirCallsAndEndPutsThemBack) {
    load("DeviceStates.fx");
    IDirect3DTexture9* a = nullptr;
    IDirect3DTexture9* b = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &a, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    d3d9::internal::setTextureName(a, "a.png");
    d3d9::internal::setTextureName(b, "b.png");
    effect->SetTexture("tex0", a);
    effect->SetTexture("tex1", b);
    const D3DMATERIAL9 before{{0.5f, 0.5f, 0.5f, 0.5f}, {}, {}, {}, 3.0f};
    device->SetMaterial(&before);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetSamplerState(3, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER);
    D3DMATRIX view{};
    device->GetTransform(D3DTS_VIEW, &view);
    DWORD lighting = 0;
    device->GetRenderState(D3DRS_LIGHTING, &lighting);

    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    std::vector<std::string> lines = beginPass(0);
    // Worked out from the file: floats go as their bits (2.0f is 0x40000000, 10.0f
    // 0x41200000), colours as A8R8G8B8 (0.5 is 0x80, 0.25 0x40); a light not set yet
    // starts as D3D9's default light, the material from what the device holds.
    const std::vector<std::string> expected = {
        "SetRenderState D3DRS_LIGHTING TRUE",
        "SetRenderState D3DRS_FOGENABLE TRUE",
        "SetRenderState D3DRS_FOGTABLEMODE D3DFOG_EXP2",
        "SetRenderState D3DRS_FOGSTART 2",
        "SetRenderState D3DRS_FOGEND 10",
        "SetRenderState D3DRS_FOGCOLOR 0xff8000ff",
        "SetRenderState D3DRS_AMBIENT 0xff0080ff",
        "SetRenderState D3DRS_DIFFUSEMATERIALSOURCE D3DMCS_COLOR1",
        "SetRenderState D3DRS_SPECULARENABLE FALSE",
        "SetTextureStageState 0 D3DTSS_COLOROP D3DTOP_MODULATE2X",
        "SetTextureStageState 0 D3DTSS_COLORARG1 D3DTA_TEXTURE",
        "SetTextureStageState 0 D3DTSS_COLORARG2 D3DTA_DIFFUSE",
        "SetTextureStageState 0 D3DTSS_COLORARG0 D3DTA_TEXTURE|D3DTA_COMPLEMENT",
        "SetTextureStageState 1 D3DTSS_ALPHAOP D3DTOP_DISABLE",
        "SetTextureStageState 1 D3DTSS_TEXCOORDINDEX 0x10001",
        "SetTextureStageState 0 D3DTSS_TEXTURETRANSFORMFLAGS 0x102",
        "SetTextureStageState 0 D3DTSS_RESULTARG D3DTA_TEMP",
        "SetTextureStageState 2 D3DTSS_CONSTANT 0xffff8040",
        "SetTextureStageState 0 D3DTSS_BUMPENVLSCALE 0.5",
        "SetTransform D3DTS_WORLDMATRIX(0) 1 0 0 0 0 2 0 0 0 0 3 0 4 5 6 1",
        "SetTransform D3DTS_WORLDMATRIX(1) 1 0 0 0 0 2 0 0 0 0 3 0 4 5 6 1",
        "SetTransform D3DTS_VIEW 1 0 0 0 0 1 0 0 0 0 1 0 0 0 7 1",
        "SetTransform D3DTS_TEXTURE1 1 0 0 0 0 2 0 0 0 0 3 0 4 5 6 1",
        "LightEnable 0 TRUE",
        "SetLight 0 D3DLIGHT_DIRECTIONAL 1 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0",
        "SetLight 0 D3DLIGHT_DIRECTIONAL 1 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 -1 0 0 0 0 0 0 0 0",
        "SetLight 0 D3DLIGHT_DIRECTIONAL 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 0 0 0 -1 0 0 0 0 0 0 0 0",
        "SetLight 0 D3DLIGHT_DIRECTIONAL 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 0 0 0 -1 0 100 0 0 0 0 0 0",
        "SetLight 0 D3DLIGHT_DIRECTIONAL 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 0 0 0 -1 0 100 0 0 0 0 0 2.5",
        "SetMaterial 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 0 0 0 3",
        "SetMaterial 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 0 0 0 8",
        "SetTexture 0 a.png",
        "SetTexture 2 null",
        "SetSamplerState 0 D3DSAMP_MINFILTER D3DTEXF_LINEAR",
        "SetSamplerState 1 D3DSAMP_ADDRESSU D3DTADDRESS_CLAMP",
    };
    ASSERT_GE(lines.size(), expected.size() + 2);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
    EXPECT_EQ(d3d9::internal::samplerState(device, 0, 10), 8u);  // MaxAnisotropy
    EXPECT_EQ(d3d9::internal::samplerState(device, 0, 8), 0xBF000000u);  // MipMapLodBias -0.5f
    // Sampler[3] = <samp>: its block's texture and states on stage 3.
    EXPECT_EQ(lines[expected.size() + 2], "SetTexture 3 b.png");
    EXPECT_EQ(d3d9::internal::samplerState(device, 3, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(d3d9::internal::samplerState(device, 3, D3DSAMP_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_MIRROR));
    EXPECT_EQ(d3d9::internal::samplerState(device, 3, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(lines[lines.size() - 2], "SetClipPlane 1 0 1 0 -2");
    EXPECT_EQ(lines.back(), "SetFVF 0x112");  // XYZ | NORMAL | TEX1

    // A new value of a parameter reaches the device at the next BeginPass.
    effect->SetFloat("fogStart", 4.0f);
    lines = beginPass(0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SetRenderState D3DRS_FOGSTART 4"), lines.end());  // 4.0f

    effect->End();
    D3DMATERIAL9 m{};
    device->GetMaterial(&m);
    EXPECT_EQ(m.Diffuse.r, 0.5f);
    EXPECT_EQ(m.Power, 3.0f);
    DWORD v = 0;
    device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(d3d9::internal::samplerState(device, 3, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_BORDER));
    EXPECT_EQ(d3d9::internal::boundTexture(device, 0), nullptr);
    device->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, lighting);
    D3DMATRIX after{};
    device->GetTransform(D3DTS_VIEW, &after);
    EXPECT_EQ(after.m[3][2], view.m[3][2]);
    device->GetFVF(&v);
    EXPECT_EQ(v, 0u);
    float plane[4] = {1, 1, 1, 1};
    device->GetClipPlane(1, plane);
    EXPECT_EQ(plane[1], 0.0f);
    BOOL on = TRUE;
    device->GetLightEnable(0, &on);
    EXPECT_FALSE(on);
    a->Release();
    b->Release();
}

}  // namespace
