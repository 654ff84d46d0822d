// What each draw of an effect pass reads on OpenGL: its own uniform values, streamed per
// draw through the device's ring.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3d9/internal.h"

namespace {

struct Vertex {
    float x, y, z, u, v;
};

constexpr UINT kWidth = 160, kHeight = 80;

class EffectStream : public ::testing::Test {
protected:
    void SetUp() override {
        device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, kWidth, kHeight);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("Pixels.fx").c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, &errors),
                  D3D_OK)
            << fxtest::bufferText(errors);
        D3DXMATRIX ortho;
        D3DXMatrixOrthoLH(&ortho, static_cast<float>(kWidth), static_cast<float>(kHeight), 0.0f, 1.0f);
        effect->SetMatrix("matWorldViewProjection", &ortho);
        device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    }
    void TearDown() override {
        if (effect) effect->Release();
        if (device) device->Release();
    }
    // Column `column` (20 pixels wide, full height), as a user-pointer draw; the ortho
    // camera has the screen's centre at 0 and y up.
    void drawColumn(int column) {
        const float l = 20.0f * static_cast<float>(column) - kWidth / 2.0f, r = l + 20.0f;
        const float t = kHeight / 2.0f, b = -t;
        const Vertex v[4] = {{l, t, 0.5f, 0, 0}, {r, t, 0.5f, 1, 0}, {l, b, 0.5f, 0, 1}, {r, b, 0.5f, 1, 1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex));
    }
    void clear() { device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000u, 1.0f, 0); }
    const std::uint8_t* pixel(int x, int y) {
        return &pixels[(static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4];
    }
    void finish() {
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        UINT w = 0, h = 0;
        ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
    }
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    std::vector<std::uint8_t> pixels;
};

TEST_F(EffectStream, EveryDrawOfAPassReadsTheValuesCommittedBeforeIt) {
    // Two frames: the second draws the same values again, which the device need not
    // stream anew, and then different ones.
    for (int frame = 0; frame < 2; ++frame) {
        device->BeginScene();
        clear();
        ASSERT_EQ(effect->SetTechnique("Plain"), D3D_OK);
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        for (int column = 0; column < 8; ++column) {
            const float red = static_cast<float>(column * 32 + (frame ? 16 : 0)) / 255.0f;
            const float c[4] = {red, frame ? 1.0f : 0.0f, 0.25f, 1.0f};
            effect->SetFloatArray("color", c, 4);
            effect->CommitChanges();
            drawColumn(column);
        }
        effect->EndPass();
        effect->End();
        finish();
        for (int column = 0; column < 8; ++column) {
            const std::uint8_t* p = pixel(20 * column + 10, 40);
            EXPECT_NEAR(p[0], column * 32 + (frame ? 16 : 0), 1) << "frame " << frame << " column " << column;
            EXPECT_NEAR(p[1], frame ? 255 : 0, 1);
        }
    }
}

TEST_F(EffectStream, ADynamicBufferRewrittenInAFrameKeepsWhatEarlierDrawsRead) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(Vertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                         D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &buffer, nullptr),
              D3D_OK);
    device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
    device->BeginScene();
    clear();
    ASSERT_EQ(effect->SetTechnique("Plain"), D3D_OK);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    // Column 0 red, then the same buffer rewritten to hold column 5, drawn blue.
    for (int column : {0, 5}) {
        const float l = 20.0f * static_cast<float>(column) - kWidth / 2.0f, r = l + 20.0f, t = kHeight / 2.0f;
        const Vertex v[4] = {{l, t, 0.5f, 0, 0}, {r, t, 0.5f, 1, 0}, {l, -t, 0.5f, 0, 1}, {r, -t, 0.5f, 1, 1}};
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        std::memcpy(data, v, sizeof v);
        buffer->Unlock();
        const float c[4] = {column ? 0.0f : 1.0f, 0.0f, column ? 1.0f : 0.0f, 1.0f};
        effect->SetFloatArray("color", c, 4);
        effect->CommitChanges();
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
    effect->EndPass();
    effect->End();
    finish();
    device->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
    EXPECT_EQ(pixel(10, 40)[0], 255);
    EXPECT_EQ(pixel(10, 40)[2], 0);
    EXPECT_EQ(pixel(110, 40)[0], 0);
    EXPECT_EQ(pixel(110, 40)[2], 255);
}

}  // namespace
