// Semantics with indexes on headless OpenGL: vertex usages beyond the device's fixed
// attribute locations reach the shader, stages link by semantic and index, a pixel
// shader's DEPTH is the depth tested, and struct members are parameters by their names.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "effects/DeviceFixture.h"
#include "effects/EffectTestSupport.h"

namespace {

struct Vertex {
    float position[3], target[3], extra[2], weight, tint[4];
};

class SemanticsGl : public ::testing::Test {
protected:
    void SetUp() override {
        device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, kSize, kSize);
        ASSERT_TRUE(device);
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileA(device, fxtest::dataPath("Semantics.fx").c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, &errors),
                  D3D_OK)
            << fxtest::bufferText(errors);
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 1},
            {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 8},
            {0, 32, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 1},
            {0, 36, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 2},
            D3DDECL_END()};
        ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
        ASSERT_EQ(device->CreateVertexBuffer(sizeof(Vertex) * 4, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
        const std::uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(data, quad, sizeof quad);
        indices->Unlock();
    }
    void TearDown() override {
        for (IUnknown* o : std::initializer_list<IUnknown*>{declaration, vertices, indices, effect, device})
            if (o) o->Release();
    }
    // A full-target quad whose POSITION0 lies off screen: only the morph target, at
    // weight 1, puts it on the target.
    void fill(float extraX, float extraY, float blue) {
        const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
        Vertex v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = {{9, 9, 0.5f}, {corners[i][0], corners[i][1], 0.5f}, {extraX, extraY}, 1, {0, 0, blue, 1}};
        void* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, v, sizeof v);
        vertices->Unlock();
    }
    void draw(const char* technique) {
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vertices, 0, sizeof(Vertex));
        device->SetIndices(indices);
        ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
        effect->EndPass();
        effect->End();
    }

    static constexpr UINT kSize = 64;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
};

TEST_F(SemanticsGl, IndexedUsagesStructMembersAndDepthDraw) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("matWorldViewProjection", &identity);
    const float off[4] = {0, 0, 0, 0}, on[4] = {1, 1, 1, 1};
    effect->SetFloatArray("lights[0].color", off, 4);  // a neighbour that must not be read
    effect->SetFloatArray("lights[1].color", on, 4);
    effect->SetFloatArray("material.diffuse", on, 4);
    effect->SetFloatArray("material.rim.color", on, 4);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    fill(0.25f, 0.5f, 0.75f);
    draw("Indexed");
    // At z 0.5 this quad is behind the 0.25 the first one wrote as its DEPTH.
    draw("Behind");
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    std::vector<std::uint8_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
    const std::uint8_t* p = &pixels[(32 * kSize + 32) * 4];
    EXPECT_NEAR(p[0], 64, 2);
    EXPECT_NEAR(p[1], 128, 2);
    EXPECT_NEAR(p[2], 191, 2);
}

}  // namespace
