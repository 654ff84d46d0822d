// Sampler states from sampler_state blocks and from the device, drawn on headless GL,
// and every new pass state of RenderStates.fx as the trace sees it.
#include "effects/StatesFixture.h"

namespace {

using fxtest::floatBits;
using fxtest::near;

class SamplerStates : public fxtest::StatesFixture {
protected:
    // Texels one to one on pixels 0..15 of the top rows.
    void texelQuad(float u0 = 0, float u1 = 1) { rectangle(-0.5f, -0.5f, 15.5f, 15.5f, 0.5f, true, u0, 0, u1, 1); }
};

TEST_F(SamplerStates, BorderColourOutsideTheTextureAndLevelsByBiasAndMaxMipLevel) {
    open();
    makeChecker(16);
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    // u from -1 to 2 over 48 pixels: the middle third is the texture, the rest border.
    rectangle(-0.5f, -0.5f, 47.5f, 15.5f, 0.5f, true, -1, 0, 2, 1);
    draw("Bordered");
    readBack();
    EXPECT_TRUE(near(at(8, 8), 0, 255, 0));
    EXPECT_TRUE(near(at(40, 8), 0, 255, 0));
    EXPECT_TRUE(near(at(16, 0), 0, 0, 0));
    EXPECT_TRUE(near(at(17, 0), 255, 255, 255));
    // Mirrored once: texel 15 - i left of the texture, the last texel right of it.
    draw("MirroredOnce");
    readBack();
    EXPECT_TRUE(near(at(0, 0), 255, 255, 255));
    EXPECT_TRUE(near(at(1, 0), 0, 0, 0));
    EXPECT_TRUE(near(at(40, 0), 255, 255, 255));
    EXPECT_TRUE(near(at(40, 1), 0, 0, 0));

    // Level 0 is the checker, every level below it mid grey.
    texelQuad();
    draw("Plain");
    readBack();
    EXPECT_TRUE(near(at(0, 0), 0, 0, 0));
    EXPECT_TRUE(near(at(1, 0), 255, 255, 255));
    for (const char* technique : {"Biased", "DetailLimited", "HeldLevel"}) {
        draw(technique);
        readBack();
        EXPECT_TRUE(near(at(0, 0), 128, 128, 128, 2)) << technique;
        EXPECT_TRUE(near(at(1, 0), 128, 128, 128, 2)) << technique;
    }
    // The effect's most detailed level does not stay with the texture.
    draw("Plain");
    readBack();
    EXPECT_TRUE(near(at(1, 0), 255, 255, 255));
}

TEST_F(SamplerStates, SrgbTextureDecodesBeforeTheShaderReads) {
    open();
    std::vector<std::uint8_t> grey(4 * 4 * 4, 188);
    ASSERT_EQ(d3d9::internal::createTexture(device, 4, 4, grey.data(), "grey", &texture), D3D_OK);
    ASSERT_EQ(effect->SetTexture("checker", texture), D3D_OK);
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    texelQuad();
    draw("Decoded");
    readBack();
    EXPECT_TRUE(near(at(8, 8), 128, 128, 128, 1));
    draw("Plain");
    readBack();
    EXPECT_TRUE(near(at(8, 8), 188, 188, 188, 1));
}

// The device's own sampler states reach fixed-function draws.
TEST_F(SamplerStates, DeviceLodBiasAndMaxMipLevel) {
    open();
    makeChecker(16);
    struct ScreenVertex {
        float x, y, z, rhw, u, v;
    };
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0}, {15.5f, -0.5f, 0.5f, 1, 1, 0},
                                  {-0.5f, 15.5f, 0.5f, 1, 0, 1}, {15.5f, 15.5f, 0.5f, 1, 1, 1}};
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    struct Case {
        D3DSAMPLERSTATETYPE type;
        DWORD value;
        bool grey;
    };
    const Case cases[] = {{D3DSAMP_MIPMAPLODBIAS, 0, false},       {D3DSAMP_MIPMAPLODBIAS, floatBits(1.0f), true},
                          {D3DSAMP_MIPMAPLODBIAS, 0, false},       {D3DSAMP_MAXMIPLEVEL, 1, true},
                          {D3DSAMP_MAXMIPLEVEL, 0, false},        {D3DSAMP_MIPFILTER, D3DTEXF_NONE, false},
                          {D3DSAMP_MAXMIPLEVEL, 1, true},          {D3DSAMP_MAXMIPLEVEL, 0, false}};
    for (const Case& c : cases) {
        device->SetSamplerState(0, c.type, c.value);
        clear(D3DCOLOR_ARGB(255, 0, 0, 255));
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]), D3D_OK);
        readBack();
        const int white = c.grey ? 128 : 255;
        EXPECT_TRUE(near(at(1, 0), white, white, white, 2)) << c.type << " " << c.value;
    }
}

TEST(DeviceStatesTrace, PassSetsEveryStateAndEndPutsThemBack) {
    fxtest::TraceLines trace;
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Trace, &trace);
    ASSERT_TRUE(device);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("RenderStates.fx").c_str(), nullptr, nullptr, 0,
                                        nullptr, &effect, &errors),
              D3D_OK)
        << fxtest::bufferText(errors);
    ASSERT_EQ(effect->SetTechnique("AllStates"), D3D_OK);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    trace.lines.clear();
    effect->BeginPass(0);
    std::string all;
    for (const std::string& line : trace.lines) all += line + "\n";
    for (const char* expected :
         {"D3DRS_FILLMODE D3DFILL_WIREFRAME", "D3DRS_DEPTHBIAS -0.001", "D3DRS_SLOPESCALEDEPTHBIAS 2",
          "D3DRS_SCISSORTESTENABLE TRUE", "D3DRS_COLORWRITEENABLE1 0x3", "D3DRS_TWOSIDEDSTENCILMODE TRUE",
          "D3DRS_CCW_STENCILFAIL D3DSTENCILOP_ZERO", "D3DRS_CCW_STENCILZFAIL D3DSTENCILOP_INVERT",
          "D3DRS_CCW_STENCILPASS D3DSTENCILOP_INCRSAT", "D3DRS_CCW_STENCILFUNC D3DCMP_NOTEQUAL",
          "D3DRS_SEPARATEALPHABLENDENABLE TRUE", "D3DRS_SRCBLENDALPHA D3DBLEND_BLENDFACTOR",
          "D3DRS_DESTBLENDALPHA D3DBLEND_INVSRCALPHA", "D3DRS_BLENDOPALPHA D3DBLENDOP_REVSUBTRACT",
          "D3DRS_BLENDFACTOR 0x80402010", "D3DRS_SRGBWRITEENABLE TRUE", "D3DRS_POINTSIZE 4.5",
          "D3DRS_POINTSIZE_MAX 16", "D3DRS_MULTISAMPLEMASK 0x5", "D3DRS_CLIPPLANEENABLE 0x3"})
        EXPECT_NE(all.find(std::string("SetRenderState ") + expected + "\n"), std::string::npos) << expected;
    // What GL cannot do is not sent.
    EXPECT_EQ(all.find("SHADEMODE"), std::string::npos);
    DWORD bias = 1;
    device->GetRenderState(D3DRS_DEPTHBIAS, &bias);
    EXPECT_EQ(bias, floatBits(-0.001f));
    effect->EndPass();
    effect->End();
    device->GetRenderState(D3DRS_DEPTHBIAS, &bias);
    EXPECT_EQ(bias, 0u);
    effect->Release();
    device->Release();
}

}  // namespace
