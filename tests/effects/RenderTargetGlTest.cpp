// Drawing into texture levels and reading them back through an effect: the picture keeps
// its top at v = 0, clockwise triangles stay the front ones, rectangles keep their place,
// and float targets give 1 in the channels they lack.
#include "effects/StatesFixture.h"

namespace {

using fxtest::near;

class RenderTargets : public fxtest::StatesFixture {
protected:
    // A kSize square target of `format` set as target 0; `level` its surface.
    void makeTarget(D3DFORMAT format) {
        ASSERT_EQ(device->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &target,
                                        nullptr),
                  D3D_OK);
        ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
        ASSERT_EQ(device->GetRenderTarget(0, &back), D3D_OK);
        ASSERT_EQ(device->SetRenderTarget(0, level), D3D_OK);
    }
    // Back on the back buffer, the target drawn over all of it texel for texel.
    void showTarget() {
        ASSERT_EQ(device->SetRenderTarget(0, back), D3D_OK);
        ASSERT_EQ(effect->SetTexture("checker", target), D3D_OK);
        rectangle(-0.5f, -0.5f, kSize - 0.5f, kSize - 0.5f);
        draw("Plain");
        readBack();
    }
    void TearDown() override {
        if (effect) effect->SetTexture("checker", nullptr);
        if (back) back->Release();
        if (level) level->Release();
        if (target) target->Release();
        StatesFixture::TearDown();
    }
    IDirect3DTexture9* target = nullptr;
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* back = nullptr;
};

TEST_F(RenderTargets, TextureTargetKeepsTopLeftWindingAndRectangles) {
    open();
    makeTarget(D3DFMT_A8R8G8B8);
    clear(D3DCOLOR_ARGB(255, 255, 0, 0));
    // Green top-left quarter, clockwise, with counter-clockwise ones culled.
    setColor(0, 1, 0);
    rectangle(0, 0, 32, 32);
    draw("CulledFlat");
    setColor(1, 1, 1);
    rectangle(32, 32, 64, 64, 0.5f, false);
    draw("CulledFlat");
    // Blue cleared into the top 8 rows of the right half, through the scissor.
    const RECT scissor{32, 0, 64, 8};
    device->SetScissorRect(&scissor);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 255), 1.0f, 0);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    showTarget();
    EXPECT_TRUE(near(at(8, 8), 0, 255, 0));
    EXPECT_TRUE(near(at(8, 40), 255, 0, 0));
    EXPECT_TRUE(near(at(48, 48), 255, 0, 0));  // the culled one
    EXPECT_TRUE(near(at(40, 4), 0, 0, 255));
    EXPECT_TRUE(near(at(40, 12), 255, 0, 0));
    EXPECT_TRUE(near(at(63, 63), 255, 0, 0));
    // Setting the target put the scissor back to the whole of it.
    RECT whole{};
    device->GetScissorRect(&whole);
    EXPECT_EQ(whole.right, 64);
    EXPECT_EQ(whole.bottom, 64);

    EXPECT_EQ(device->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(1, back), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* none = nullptr;
    EXPECT_EQ(device->GetRenderTarget(1, &none), D3DERR_NOTFOUND);
}

TEST_F(RenderTargets, FloatTargetHoldsValuesAndFillsMissingChannels) {
    open();
    makeTarget(D3DFMT_R32F);
    clear(D3DCOLOR_ARGB(255, 128, 0, 0));
    showTarget();
    EXPECT_TRUE(near(at(20, 20), 128, 255, 255));
}

// VPOS counts rows from the top of whichever target is drawn; VFACE is -1 on back faces.
TEST_F(RenderTargets, PixelPositionAndFacingAsD3D9GivesThem) {
    open();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    fullScreen();
    draw("PixelPosition");
    readBack();
    EXPECT_TRUE(near(at(10, 2), 40, 8, 0, 1));
    EXPECT_TRUE(near(at(60, 50), 239, 199, 0, 1));
    makeTarget(D3DFMT_A8R8G8B8);
    fullScreen();
    draw("PixelPosition");
    showTarget();
    EXPECT_TRUE(near(at(10, 2), 40, 8, 0, 1));
    EXPECT_TRUE(near(at(60, 50), 239, 199, 0, 1));
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    rectangle(0, 0, 32, 64);
    draw("Facing");
    rectangle(32, 0, 64, 64, 0.5f, false);
    draw("Facing");
    readBack();
    EXPECT_TRUE(near(at(10, 10), 0, 255, 0));
    EXPECT_TRUE(near(at(50, 10), 255, 0, 0));
}

}  // namespace
