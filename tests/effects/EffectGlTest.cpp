// Pixel tests on headless OpenGL (Mesa llvmpipe): effects must draw what Direct3D 9 draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"
#include "platform/d3d9/internal.h"

namespace {

struct Vertex {
    float x, y, z, u, v;
};

struct Rgba {
    int r, g, b, a;
};

class EffectPixels : public ::testing::Test {
protected:
    void open(D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE) {
        device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, kWidth, kHeight, samples);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, fxtest::dataPath("Pixels.fx").c_str(), nullptr, nullptr,
                                               D3DXSHADER_DEBUG, nullptr, &effect, &errors);
        ASSERT_EQ(hr, D3D_OK) << fxtest::bufferText(errors);
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                              {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                              D3DDECL_END()};
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
        D3DXMatrixOrthoLH(&ortho, static_cast<float>(kWidth), static_cast<float>(kHeight), 0.0f, 1.0f);
    }
    void TearDown() override {
        if (texture) texture->Release();
        if (declaration) declaration->Release();
        if (vertices) vertices->Release();
        if (indices) indices->Release();
        if (effect) effect->Release();
        if (device) device->Release();
    }

    // A quad given in D3D screen pixels (x right, y down), corners in the order given.
    void screenQuad(const float (&corners)[4][2], float z = 0.5f) {
        static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        Vertex v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = {corners[i][0] - kWidth / 2.0f, kHeight / 2.0f - corners[i][1], z, uv[i][0], uv[i][1]};
        setVertices(v);
    }
    // Clockwise on screen: top-left, top-right, bottom-right, bottom-left.
    void rectangle(float left, float top, float right, float bottom, float z = 0.5f, bool clockwise = true) {
        if (clockwise)
            screenQuad({{left, top}, {right, top}, {right, bottom}, {left, bottom}}, z);
        else
            screenQuad({{left, top}, {left, bottom}, {right, bottom}, {right, top}}, z);
    }
    void setVertices(const Vertex (&v)[4]) {
        void* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, v, sizeof v);
        vertices->Unlock();
    }
    void draw(const char* technique, const D3DXMATRIX* matrix = nullptr) {
        effect->SetMatrix("matWorldViewProjection", matrix ? matrix : &ortho);
        effect->SetMatrix("matRowMajor", matrix ? matrix : &ortho);
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
    void setColor(float r, float g, float b, float a) {
        const float c[4] = {r, g, b, a};
        effect->SetFloatArray("color", c, 4);
    }
    void clear(D3DCOLOR color) { device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0); }
    void finish() {
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        UINT w = 0, h = 0;
        ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
        ASSERT_EQ(w, kWidth);
        ASSERT_EQ(h, kHeight);
    }
    Rgba at(int x, int y) const {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    static bool sameColor(Rgba c, int r, int g, int b, int tolerance = 3) {
        return std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance;
    }

    static constexpr UINT kWidth = 640, kHeight = 480;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DXMATRIX ortho;
    std::vector<std::uint8_t> pixels;
};

#define EXPECT_RGB(pixel, wantR, wantG, wantB)                                                        \
    do {                                                                                              \
        Rgba got_ = (pixel);                                                                          \
        EXPECT_TRUE(sameColor(got_, wantR, wantG, wantB))                                             \
            << "got " << got_.r << "," << got_.g << "," << got_.b << " want " << (wantR) << ","       \
            << (wantG) << "," << (wantB);                                                             \
    } while (0)

TEST_F(EffectPixels, TexturedQuadLandsOnD3DPixels) {
    open();
    // 4x4 texels: red grows to the right, green downwards; the top row is the image's first.
    std::uint8_t image[4 * 4 * 4];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            std::uint8_t* p = image + (j * 4 + i) * 4;
            p[0] = static_cast<std::uint8_t>(32 + 64 * i);
            p[1] = static_cast<std::uint8_t>(32 + 64 * j);
            p[2] = 128;
            p[3] = 255;
        }
    ASSERT_EQ(d3d9::internal::createTexture(device, 4, 4, image, "grid4", &texture), D3D_OK);
    ASSERT_EQ(effect->SetTexture("tex0", texture), D3D_OK);
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    // D3D9's classic texel-to-pixel mapping: edges half a pixel before the centres.
    rectangle(99.5f, 49.5f, 163.5f, 113.5f);
    draw("Textured");
    finish();
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_RGB(at(100 + 16 * i + 8, 50 + 16 * j + 8), 32 + 64 * i, 32 + 64 * j, 128);
    // Exact edges: pixels 100..163 and 50..113 are covered, their neighbours are not.
    EXPECT_RGB(at(100, 50), 32, 32, 128);
    EXPECT_RGB(at(163, 113), 224, 224, 128);
    EXPECT_RGB(at(99, 60), 0, 0, 0);
    EXPECT_RGB(at(164, 60), 0, 0, 0);
    EXPECT_RGB(at(120, 49), 0, 0, 0);
    EXPECT_RGB(at(120, 114), 0, 0, 0);
}

TEST_F(EffectPixels, SetMatrixMatchesD3DXUnderAPerspectiveCamera) {
    open();
    D3DXVECTOR3 eye(3.0f, -8.0f, 4.0f), target(0.5f, 0.0f, 1.0f), up(0.0f, 0.0f, 1.0f);
    D3DXMATRIX view, projection, viewProjection;
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 640.0f / 480.0f, 0.1f, 100.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    // Points off the axis, where a transposed matrix would put them elsewhere.
    const D3DXVECTOR3 points[] = {{1.5f, 0.5f, 2.0f}, {-1.0f, 1.0f, 0.0f}};
    for (const char* technique : {"NoDepth", "RowMajor"})
    for (const D3DXVECTOR3& p : points) {
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &p, &viewProjection);
        float sx = (ndc.x + 1.0f) * 0.5f * kWidth, sy = (1.0f - ndc.y) * 0.5f * kHeight;
        // A small square around the point facing the camera, so that it projects to a
        // square centred on the projected point.
        const float s = 0.08f;
        D3DXVECTOR3 right(view._11 * s, view._21 * s, view._31 * s), upward(view._12 * s, view._22 * s, view._32 * s);
        auto corner = [&](float a, float b) {
            return Vertex{p.x + a * right.x + b * upward.x, p.y + a * right.y + b * upward.y,
                          p.z + a * right.z + b * upward.z, 0, 0};
        };
        Vertex v[4] = {corner(-1, 1), corner(1, 1), corner(1, -1), corner(-1, -1)};
        setVertices(v);
        device->BeginScene();
        clear(D3DCOLOR_ARGB(255, 0, 0, 0));
        setColor(1, 1, 1, 1);
        draw(technique, &viewProjection);
        finish();
        double cx = 0, cy = 0;
        int count = 0;
        for (int y = 0; y < static_cast<int>(kHeight); ++y)
            for (int x = 0; x < static_cast<int>(kWidth); ++x)
                if (at(x, y).r > 128) {
                    cx += x;
                    cy += y;
                    ++count;
                }
        ASSERT_GT(count, 4) << technique << ": nothing drawn for point " << p.x;
        EXPECT_NEAR(cx / count, sx, 0.5) << technique << ": point " << p.x << " " << p.y << " " << p.z;
        EXPECT_NEAR(cy / count, sy, 0.5) << technique << ": point " << p.x << " " << p.y << " " << p.z;
    }
}

TEST_F(EffectPixels, DepthTestKeepsTheNearerSurface) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 0, 0, 1);
    rectangle(100, 100, 200, 200, 0.3f);
    draw("Solid");
    setColor(0, 1, 0, 1);
    rectangle(150, 150, 250, 250, 0.6f);  // behind the red one
    draw("Solid");
    setColor(0, 0, 1, 1);
    rectangle(300, 100, 400, 200, 0.6f);
    draw("Solid");
    setColor(1, 1, 0, 1);
    rectangle(350, 150, 450, 250, 0.3f);  // in front of the blue one
    draw("Solid");
    // Without depth testing the later draw wins.
    setColor(0, 1, 1, 1);
    rectangle(500, 100, 600, 200, 0.9f);
    draw("NoDepth");
    finish();
    EXPECT_RGB(at(175, 175), 255, 0, 0);
    EXPECT_RGB(at(225, 225), 0, 255, 0);
    EXPECT_RGB(at(375, 175), 255, 255, 0);
    EXPECT_RGB(at(325, 125), 0, 0, 255);
    EXPECT_RGB(at(550, 150), 0, 255, 255);
}

TEST_F(EffectPixels, BlendingAndColorWritesFollowThePass) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    setColor(1, 0, 0, 0.25f);
    rectangle(100, 100, 200, 200);
    draw("Blend");
    setColor(1, 1, 1, 1);
    rectangle(300, 100, 400, 200);
    draw("RedOnly");
    finish();
    EXPECT_RGB(at(150, 150), 64, 0, 191);
    EXPECT_RGB(at(350, 150), 255, 0, 255);
    EXPECT_RGB(at(50, 50), 0, 0, 255);
}

TEST_F(EffectPixels, CullModesCullByScreenWinding) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 1, 1, 1);
    rectangle(50, 50, 100, 100, 0.5f, true);
    draw("CullCW");  // clockwise: culled
    rectangle(150, 50, 200, 100, 0.5f, false);
    draw("CullCW");  // counter-clockwise: drawn
    rectangle(250, 50, 300, 100, 0.5f, true);
    draw("CullCCW");  // clockwise: drawn
    rectangle(350, 50, 400, 100, 0.5f, false);
    draw("CullCCW");  // counter-clockwise: culled
    finish();
    EXPECT_RGB(at(75, 75), 0, 0, 0);
    EXPECT_RGB(at(175, 75), 255, 255, 255);
    EXPECT_RGB(at(275, 75), 255, 255, 255);
    EXPECT_RGB(at(375, 75), 0, 0, 0);
}

TEST_F(EffectPixels, EndRestoresTheDeviceStates) {
    open();
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 1, 1, 1);
    rectangle(50, 50, 100, 100, 0.5f, false);
    draw("CullCW");  // sets CullMode = CW for its pass only
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    // "Plain" assigns no states: the restored CCW culling applies to it.
    rectangle(150, 50, 200, 100, 0.5f, false);
    draw("Plain");
    rectangle(250, 50, 300, 100, 0.5f, true);
    draw("Plain");
    finish();
    EXPECT_RGB(at(75, 75), 255, 255, 255);
    EXPECT_RGB(at(175, 75), 0, 0, 0);
    EXPECT_RGB(at(275, 75), 255, 255, 255);
}

TEST_F(EffectPixels, AnIntParameterPicksThePixelShaderEachTimeThePassBegins) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    rectangle(50, 50, 100, 100);
    draw("Chosen");  // shade 0: red
    effect->SetInt("shade", 1);
    rectangle(150, 50, 200, 100);
    draw("Chosen");
    effect->SetInt("shade", 9);  // past the end: the last one
    rectangle(250, 50, 300, 100);
    draw("Chosen");
    finish();
    EXPECT_RGB(at(75, 75), 255, 0, 0);
    EXPECT_RGB(at(175, 75), 0, 255, 0);
    EXPECT_RGB(at(275, 75), 0, 255, 0);
}

TEST_F(EffectPixels, AlphaTestDiscards) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    setColor(1, 1, 1, 0.4f);  // 102 <= 128: discarded
    rectangle(50, 50, 100, 100);
    draw("AlphaTest");
    setColor(1, 1, 1, 0.6f);
    rectangle(150, 50, 200, 100);
    draw("AlphaTest");
    // After End the alpha test is off again.
    setColor(1, 1, 1, 0.4f);
    rectangle(250, 50, 300, 100);
    draw("NoDepth");
    finish();
    EXPECT_RGB(at(75, 75), 0, 0, 0);
    EXPECT_RGB(at(175, 75), 255, 255, 255);
    EXPECT_RGB(at(275, 75), 255, 255, 255);
}

TEST_F(EffectPixels, FourSamplesSmoothAnEdge) {
    auto edgePixels = [this](D3DMULTISAMPLE_TYPE samples) {
        open(samples);
        if (!device) return -1;
        device->BeginScene();
        clear(D3DCOLOR_ARGB(255, 0, 0, 0));
        setColor(1, 1, 1, 1);
        screenQuad({{100, 100}, {400, 130}, {400, 300}, {100, 300}});  // a slanted top edge
        draw("NoDepth");
        finish();
        int partial = 0;
        for (int y = 95; y < 135; ++y)
            for (int x = 100; x < 400; ++x)
                if (at(x, y).r > 20 && at(x, y).r < 235) ++partial;
        TearDown();
        device = nullptr;
        effect = nullptr;
        declaration = nullptr;
        vertices = nullptr;
        indices = nullptr;
        texture = nullptr;
        return partial;
    };
    EXPECT_EQ(edgePixels(D3DMULTISAMPLE_NONE), 0);
    EXPECT_GT(edgePixels(D3DMULTISAMPLE_4_SAMPLES), 200);
}

}  // namespace

namespace {

TEST_F(EffectPixels, PixelShaderMayReadFewerComponentsThanWritten) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    rectangle(-0.5f, -0.5f, 639.5f, 479.5f);  // the whole target, uv 0..1
    draw("Widened");
    finish();
    EXPECT_RGB(at(160, 120), 64, 64, 0);
    EXPECT_RGB(at(480, 360), 192, 192, 0);
}

TEST_F(EffectPixels, ArrayOutputsAndWiderInputsLinkAsInD3D9) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 255));
    rectangle(-0.5f, -0.5f, 639.5f, 479.5f);
    draw("Narrowed");
    finish();
    // At uv (0.25, 0.25): TEXCOORD0 reads (0.25, 0.25, 0, 1), TEXCOORD1 (0.75, 0.75, 0, 1).
    EXPECT_RGB(at(160, 120), 64, 191, 128);
    EXPECT_RGB(at(480, 360), 191, 64, 128);
}

TEST_F(EffectPixels, InitializerFormsDrawTheirValues) {
    open();
    device->BeginScene();
    clear(D3DCOLOR_ARGB(255, 0, 0, 0));
    rectangle(-0.5f, -0.5f, 639.5f, 479.5f);
    draw("InitForms");
    finish();
    // rg from the array cast, b from the flat list's third scalar
    EXPECT_RGB(at(320, 240), 64, 128, 191);
}

}  // namespace
