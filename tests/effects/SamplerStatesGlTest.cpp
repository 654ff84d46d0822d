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

// A cube written face by face through LockRect: each direction reads the face and the
// half D3D9 maps it to (first rows at the top, looking out from the centre).
TEST_F(SamplerStates, CubeFacesLockedAndSampledByDirection) {
    open();
    constexpr UINT kEdge = 4;
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(device->CreateCubeTexture(kEdge, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), D3D_OK);
    for (int face = 0; face < 6; ++face) {
        D3DLOCKED_RECT r;
        ASSERT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &r, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < kEdge; ++y)
            for (UINT x = 0; x < kEdge; ++x) {
                // Blue is 40 x face, green 255 in the top half, red 255 in the left half.
                std::uint8_t* p = static_cast<std::uint8_t*>(r.pBits) + y * static_cast<UINT>(r.Pitch) + x * 4;
                p[0] = static_cast<std::uint8_t>(40 * face), p[1] = y < kEdge / 2 ? 255 : 0;
                p[2] = x < kEdge / 2 ? 255 : 0, p[3] = 255;
            }
        ASSERT_EQ(cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0), D3D_OK);
    }
    ASSERT_EQ(effect->SetTexture("environment", cube), D3D_OK);
    struct Look {
        float x, y, z;
        int face;
        bool top, left;
    };
    // +X: s = -z, t = -y; +Y: s = x, t = z; -Z: s = -x, t = -y.
    for (const Look& l : {Look{1, 0.5f, 0.5f, 0, true, true}, Look{1, -0.5f, -0.5f, 0, false, false},
                          Look{-1, 0.5f, 0.5f, 1, true, false}, Look{0.5f, 1, 0.5f, 2, false, false},
                          Look{0.5f, -1, 0.5f, 3, true, false}, Look{-0.5f, 0.5f, 1, 4, true, true},
                          Look{-0.5f, -0.5f, -1, 5, false, false}}) {
        const float d[3] = {l.x, l.y, l.z};
        effect->SetFloatArray("lookDirection", d, 3);
        fullScreen();
        draw("CubeLook");
        readBack();
        EXPECT_TRUE(near(at(8, 8), l.left ? 255 : 0, l.top ? 255 : 0, 40 * l.face))
            << l.x << " " << l.y << " " << l.z;
    }

    // Locking again reads what is there; a rectangle writes only itself.
    D3DLOCKED_RECT r;
    const RECT corner{2, 2, 4, 4};
    ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0, &r, &corner, 0), D3D_OK);
    EXPECT_EQ(r.Pitch, 8);
    EXPECT_EQ(static_cast<std::uint8_t*>(r.pBits)[1], 0);    // bottom half: no green
    EXPECT_EQ(static_cast<std::uint8_t*>(r.pBits)[3], 255);
    D3DLOCKED_RECT second;
    EXPECT_EQ(cube->LockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0, &second, nullptr, 0), D3DERR_INVALIDCALL);
    std::memset(r.pBits, 255, 16);
    ASSERT_EQ(cube->UnlockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0), D3D_OK);
    EXPECT_EQ(cube->UnlockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0), D3DERR_INVALIDCALL);
    const float d[3] = {1, -0.5f, -0.5f};
    effect->SetFloatArray("lookDirection", d, 3);
    draw("CubeLook");
    readBack();
    EXPECT_TRUE(near(at(8, 8), 255, 255, 255));
    effect->SetTexture("environment", nullptr);
    cube->Release();

    // Default-pool textures lock only when dynamic.
    IDirect3DCubeTexture9* fixed = nullptr;
    ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &fixed, nullptr), D3D_OK);
    EXPECT_EQ(fixed->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Y, 0, &r, nullptr, 0), D3DERR_INVALIDCALL);
    fixed->Release();
}
