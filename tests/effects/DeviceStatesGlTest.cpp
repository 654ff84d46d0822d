// Render states beyond the show's own, drawn on headless GL and read back: fill mode,
// depth bias, scissor, two-sided stencil, blending, sRGB writes and clip planes.
#include "effects/StatesFixture.h"

namespace {

using fxtest::floatBits;
using fxtest::near;

class DeviceStates : public fxtest::StatesFixture {};

TEST_F(DeviceStates, WireframeLeavesTheInsideAndDepthBiasMovesDepthByItsValue) {
    open();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    rectangle(10, 10, 50, 50);
    setColor(1, 1, 1);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    draw();
    readBack();
    // Off the diagonal the quad is empty; its top edge is drawn.
    EXPECT_TRUE(near(at(40, 20), 0, 0, 0));
    EXPECT_TRUE(at(30, 9).r + at(30, 10).r + at(30, 11).r >= 255);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    draw();
    readBack();
    EXPECT_TRUE(near(at(40, 20), 255, 255, 255));

    // Red at depth 0.5, then quads 0.0005 further away pulled forward by 0.001 (left:
    // in front again) and by 0.0001 (right: still behind).
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 0, 0);
    fullScreen(0.5f);
    draw("Depth");
    setColor(0, 1, 0);
    rectangle(0, 0, 32, 64, 0.5005f);
    device->SetRenderState(D3DRS_DEPTHBIAS, floatBits(-0.001f));
    draw("Depth");
    rectangle(32, 0, 64, 64, 0.5005f);
    device->SetRenderState(D3DRS_DEPTHBIAS, floatBits(-0.0001f));
    draw("Depth");
    readBack();
    EXPECT_TRUE(near(at(16, 32), 0, 255, 0));
    EXPECT_TRUE(near(at(48, 32), 255, 0, 0));
    // A positive bias pushes a quad at the same depth behind.
    device->SetRenderState(D3DRS_DEPTHBIAS, floatBits(0.001f));
    setColor(0, 0, 1);
    rectangle(32, 0, 64, 64, 0.5f);
    draw("Depth");
    device->SetRenderState(D3DRS_DEPTHBIAS, 0);
    readBack();
    EXPECT_TRUE(near(at(48, 32), 255, 0, 0));

    // The same distances on a 16-bit depth buffer.
    IDirect3DSurface9* shallow = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &shallow,
                                                nullptr),
              D3D_OK);
    ASSERT_EQ(device->SetDepthStencilSurface(shallow), D3D_OK);
    clear(D3DCOLOR_ARGB(255, 0, 0, 0), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    setColor(1, 0, 0);
    fullScreen(0.5f);
    draw("Depth");
    setColor(0, 1, 0);
    for (const float bias : {-0.002f, -0.0002f}) {
        rectangle(bias < -0.001f ? 0.0f : 32.0f, 0, bias < -0.001f ? 32.0f : 64.0f, 64, 0.501f);
        device->SetRenderState(D3DRS_DEPTHBIAS, floatBits(bias));
        draw("Depth");
    }
    readBack();
    EXPECT_TRUE(near(at(16, 32), 0, 255, 0));
    EXPECT_TRUE(near(at(48, 32), 255, 0, 0));
    device->SetDepthStencilSurface(nullptr);
    shallow->Release();
}

TEST_F(DeviceStates, ScissorRectangleIsTopDownAndLimitsClearsAndDraws) {
    open();
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    const RECT box{8, 4, 24, 20};
    ASSERT_EQ(device->SetScissorRect(&box), D3D_OK);
    RECT back{};
    ASSERT_EQ(device->GetScissorRect(&back), D3D_OK);
    EXPECT_EQ(back.left, 8);
    EXPECT_EQ(back.bottom, 20);
    const RECT outside{0, 0, 65, 10};
    EXPECT_EQ(device->SetScissorRect(&outside), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetScissorRect(nullptr), D3DERR_INVALIDCALL);

    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    clear(D3DCOLOR_ARGB(255, 255, 0, 0), D3DCLEAR_TARGET);
    setColor(1, 1, 1);
    rectangle(0, 0, 16, 64);
    draw();
    readBack();
    EXPECT_TRUE(near(at(8, 4), 255, 255, 255));
    EXPECT_TRUE(near(at(15, 19), 255, 255, 255));
    EXPECT_TRUE(near(at(16, 10), 255, 0, 0));
    EXPECT_TRUE(near(at(23, 19), 255, 0, 0));
    EXPECT_TRUE(near(at(7, 4), 0, 0, 255));
    EXPECT_TRUE(near(at(8, 3), 0, 0, 255));
    EXPECT_TRUE(near(at(24, 19), 0, 0, 255));
    EXPECT_TRUE(near(at(8, 20), 0, 0, 255));
    // Off again: the whole target is drawn, and rectangles of Clear are whole.
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    draw();
    const RECT corner{40, 40, 64, 64};
    device->Clear(1, &corner, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 255, 0), 1.0f, 0);
    readBack();
    EXPECT_TRUE(near(at(8, 40), 255, 255, 255));
    EXPECT_TRUE(near(at(63, 63), 0, 255, 0));
}

TEST_F(DeviceStates, TwoSidedStencilTreatsCounterClockwiseFacesApart) {
    open();
    for (const bool twoSided : {true, false}) {
        clear(D3DCOLOR_ARGB(255, 0, 0, 0));
        device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, twoSided);
        device->SetRenderState(D3DRS_STENCILREF, 3);
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
        device->SetRenderState(D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS);
        device->SetRenderState(D3DRS_CCW_STENCILPASS, D3DSTENCILOP_REPLACE);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
        rectangle(0, 0, 32, 64, 0.5f, true);
        draw();
        rectangle(32, 0, 64, 64, 0.5f, false);
        draw();
        // Then paint where the stencil holds 1 white and where it holds 3 green.
        device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        fullScreen();
        device->SetRenderState(D3DRS_STENCILREF, 1);
        setColor(1, 1, 1);
        draw();
        device->SetRenderState(D3DRS_STENCILREF, 3);
        setColor(0, 1, 0);
        draw();
        readBack();
        EXPECT_TRUE(near(at(16, 32), 255, 255, 255)) << "two-sided " << twoSided;
        // One-sided, the counter-clockwise quad counts with the clockwise ops.
        EXPECT_TRUE(twoSided ? near(at(48, 32), 0, 255, 0) : near(at(48, 32), 255, 255, 255));
    }
}

TEST_F(DeviceStates, SeparateAlphaBlendAndBlendFactor) {
    open();
    clear(D3DCOLOR_ARGB(0x40, 0, 0, 0));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_ONE);
    setColor(1, 0.5f, 0, 1);
    rectangle(0, 0, 32, 32);
    draw();
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    rectangle(32, 0, 64, 32);
    draw();
    // The constant colour scales the source.
    device->SetRenderState(D3DRS_BLENDFACTOR, D3DCOLOR_ARGB(0xFF, 0x80, 0x40, 0x20));
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    setColor(1, 1, 1, 1);
    rectangle(0, 32, 32, 64);
    draw();
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVBLENDFACTOR);
    rectangle(32, 32, 64, 64);
    draw();
    readBack();
    EXPECT_TRUE(near(at(16, 16), 255, 128, 0));
    EXPECT_NEAR(at(16, 16).a, 0x40, 1);
    EXPECT_NEAR(at(48, 16).a, 255, 1);
    EXPECT_TRUE(near(at(16, 48), 0x80, 0x40, 0x20));
    EXPECT_TRUE(near(at(48, 48), 0x7F, 0xBF, 0xDF));
}

TEST_F(DeviceStates, SrgbWriteEncodesHalfTo188) {
    open();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(0.5f, 0.5f, 0.5f);
    device->SetRenderState(D3DRS_SRGBWRITEENABLE, TRUE);
    rectangle(0, 0, 32, 64);
    draw();
    device->SetRenderState(D3DRS_SRGBWRITEENABLE, FALSE);
    rectangle(32, 0, 64, 64);
    draw();
    readBack();
    EXPECT_TRUE(near(at(16, 32), 188, 188, 188, 1));
    EXPECT_TRUE(near(at(48, 32), 128, 128, 128, 1));
}

TEST_F(DeviceStates, ClipPlanesCutInClipSpace) {
    open();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    const float right[4] = {1, 0, 0, 0};  // x >= 0: the right half
    const float lower[4] = {0, -1, 0, 0};  // y <= 0: the lower half on screen
    ASSERT_EQ(device->SetClipPlane(0, right), D3D_OK);
    ASSERT_EQ(device->SetClipPlane(1, lower), D3D_OK);
    EXPECT_EQ(device->SetClipPlane(6, right), D3DERR_INVALIDCALL);
    float back[4] = {};
    ASSERT_EQ(device->GetClipPlane(1, back), D3D_OK);
    EXPECT_EQ(back[1], -1.0f);
    setColor(1, 1, 1);
    fullScreen();
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    draw();
    readBack();
    EXPECT_TRUE(near(at(16, 32), 0, 0, 0));
    EXPECT_TRUE(near(at(48, 10), 255, 255, 255));
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0 | D3DCLIPPLANE1);
    draw();
    readBack();
    EXPECT_TRUE(near(at(48, 10), 0, 0, 0));
    EXPECT_TRUE(near(at(48, 50), 255, 255, 255));
    EXPECT_TRUE(near(at(16, 50), 0, 0, 0));
    // Disabled planes cut nothing.
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    draw();
    readBack();
    EXPECT_TRUE(near(at(16, 10), 255, 255, 255));
}

TEST_F(DeviceStates, PointSizeFromTheStateOrTheShaderIsClampedToItsLimits) {
    open();
    struct ScreenPoint {
        float x, y, z, rhw;
    };
    const ScreenPoint point{20, 20, 0.5f, 1};
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_POINTSIZE, floatBits(5.0f));
    rectangle(20, 20, 40, 40);  // its first corner is the point the effects draw
    struct Case {
        const char* technique;  // null: fixed function
        float most;
        int reach;
    };
    // Size 5 reaches 2 pixels out; a shader's PSIZE of 7 reaches 3; a maximum of 3 reaches 1.
    const Case cases[] = {{nullptr, 64, 2}, {nullptr, 3, 1}, {"Flat", 64, 2}, {"SizedPoints", 64, 3},
                          {"SizedPoints", 3, 1}};
    for (const Case& c : cases) {
        clear(D3DCOLOR_ARGB(255, 0, 0, 0));
        device->SetRenderState(D3DRS_POINTSIZE_MAX, floatBits(c.most));
        if (!c.technique) {
            device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
            device->SetFVF(D3DFVF_XYZRHW);
            ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
        } else {
            effect->SetMatrix("matWorldViewProjection", &ortho);
            device->SetVertexDeclaration(declaration);
            device->SetStreamSource(0, vertices, 0, sizeof(Vertex));
            device->SetIndices(indices);
            effect->SetTechnique(c.technique);
            UINT passes = 0;
            effect->Begin(&passes, 0);
            effect->BeginPass(0);
            ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 0, 4, 0, 1), D3D_OK);
            effect->EndPass();
            effect->End();
        }
        readBack();
        const char* name = c.technique ? c.technique : "fixed function";
        EXPECT_TRUE(near(at(20 - c.reach, 20), 255, 255, 255)) << name << " " << c.most;
        EXPECT_TRUE(near(at(20 + c.reach, 20 + c.reach), 255, 255, 255)) << name << " " << c.most;
        EXPECT_TRUE(near(at(19 - c.reach, 20), 0, 0, 0)) << name << " " << c.most;
        EXPECT_TRUE(near(at(20, 21 + c.reach), 0, 0, 0)) << name << " " << c.most;
    }
}

TEST_F(DeviceStates, MultisampleMaskAndAntialiasSwitch) {
    open(D3DMULTISAMPLE_4_SAMPLES);
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 1, 1);
    device->SetRenderState(D3DRS_MULTISAMPLEMASK, 0);
    rectangle(0, 0, 32, 64);
    draw();
    device->SetRenderState(D3DRS_MULTISAMPLEMASK, 0x3);
    rectangle(32, 0, 64, 64);
    draw();
    device->SetRenderState(D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF);
    readBack();
    EXPECT_TRUE(near(at(16, 32), 0, 0, 0));
    // Two samples of four: half way once resolved.
    EXPECT_TRUE(near(at(48, 32), 128, 128, 128, 2));

    // An edge three quarters into pixel 32: part of its samples with antialiasing, the
    // whole pixel (its centre is inside) without.
    for (const BOOL antialias : {TRUE, FALSE}) {
        clear(D3DCOLOR_ARGB(255, 0, 0, 0));
        device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, antialias);
        rectangle(0, 0, 32.25f, 64);
        draw();
        readBack();
        EXPECT_TRUE(near(at(31, 32), 255, 255, 255));
        if (antialias) {
            EXPECT_GT(at(32, 32).r, 60);
            EXPECT_LT(at(32, 32).r, 230);
        } else {
            EXPECT_TRUE(near(at(32, 32), 255, 255, 255));
        }
    }
}

}  // namespace
