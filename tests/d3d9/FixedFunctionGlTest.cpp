// Fixed-function drawing on headless OpenGL: pre-transformed vertices landing on D3D9's
// pixels, every texture op on constant colours, the three light types, vertex and table
// fog, and the program cache. Expected pixels are worked out by hand from D3D9's formulas.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"

using d3d9test::DeviceFixture;

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct LitVertex {
    float x, y, z, nx, ny, nz;
};

struct Rgba {
    int r, g, b, a;
};

DWORD bits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

#define REQUIRE_GL(f, w, h) \
    if (!(f).createHeadless(w, h)) GTEST_SKIP() << "no headless OpenGL here"

Rgba pixel(IDirect3DDevice9* device, UINT x, UINT y) {
    std::vector<std::uint8_t> rgba;
    UINT w = 0, h = 0;
    EXPECT_TRUE(d3d9::readBackBuffer(device, rgba, w, h));
    if (x >= w || y >= h) return {-1, -1, -1, -1};
    const std::uint8_t* p = &rgba[(y * w + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

::testing::AssertionResult near(Rgba got, Rgba want, int tolerance = 2) {
    auto off = [&](int a, int b) { return b >= 0 && std::abs(a - b) > tolerance; };
    if (off(got.r, want.r) || off(got.g, want.g) || off(got.b, want.b) || off(got.a, want.a))
        return ::testing::AssertionFailure()
               << "got " << got.r << " " << got.g << " " << got.b << " " << got.a << ", want "
               << want.r << " " << want.g << " " << want.b << " " << want.a;
    return ::testing::AssertionSuccess();
}

// The whole target, as two triangles of pre-transformed vertices of one colour.
void drawScreenQuad(IDirect3DDevice9* device, float w, float h, D3DCOLOR colour) {
    const ScreenVertex quad[4] = {
        {-0.5f, -0.5f, 0.5f, 1, colour}, {w - 0.5f, -0.5f, 0.5f, 1, colour},
        {-0.5f, h - 0.5f, 0.5f, 1, colour}, {w - 0.5f, h - 0.5f, 0.5f, 1, colour}};
    ASSERT_EQ(D3D_OK, device->SetFVF(kScreenFvf));
    ASSERT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]));
}

// A square at camera depth 0.5 filling the view (identity transforms put camera space on
// clip space), facing the camera; its corners are equidistant from any point on the z axis,
// so a light there lights all four alike and the centre pixel shows the per-vertex result.
void drawLitSquare(IDirect3DDevice9* device) {
    const LitVertex quad[4] = {{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1},
                               {-1, -1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}};
    ASSERT_EQ(D3D_OK, device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL));
    ASSERT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]));
}

void clear(IDirect3DDevice9* device) {
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
}

}  // namespace

TEST(FixedFunctionGl, PretransformedVerticesLandOnD3D9Pixels) {
    DeviceFixture f;
    REQUIRE_GL(f, 16, 16);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    clear(f.device);
    // Pixels 4..7 across, 2..5 down: their centres lie inside these edges.
    const D3DCOLOR red = D3DCOLOR_ARGB(255, 255, 0, 0);
    const ScreenVertex quad[4] = {{3.5f, 1.5f, 0.5f, 1, red}, {7.5f, 1.5f, 0.5f, 1, red},
                                  {3.5f, 5.5f, 0.5f, 1, red}, {7.5f, 5.5f, 0.5f, 1, red}};
    ASSERT_EQ(D3D_OK, f.device->SetFVF(kScreenFvf));
    ASSERT_EQ(D3D_OK, f.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]));
    EXPECT_TRUE(near(pixel(f.device, 4, 2), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(near(pixel(f.device, 7, 5), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(near(pixel(f.device, 3, 2), {0, 0, 0, 0}, 0));
    EXPECT_TRUE(near(pixel(f.device, 8, 2), {0, 0, 0, 0}, 0));
    EXPECT_TRUE(near(pixel(f.device, 4, 1), {0, 0, 0, 0}, 0));
    EXPECT_TRUE(near(pixel(f.device, 4, 6), {0, 0, 0, 0}, 0));
    // Refused: no vertices, a stride shorter than the FVF's vertex, no FVF.
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, 20));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, quad, 16));
    ASSERT_EQ(D3D_OK, f.device->SetFVF(0));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, quad, 20));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1));
}

TEST(FixedFunctionGl, TextureOpsBlendConstantColours) {
    DeviceFixture f;
    REQUIRE_GL(f, 4, 4);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Texture (51, 102, 153, 204), factor (64, 128, 192, 128), diffuse (200, 100, 50, 64).
    const std::uint8_t texel[4] = {51, 102, 153, 204};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, d3d9::internal::createTexture(f.device, 1, 1, texel, "texel", &texture));
    f.device->SetTexture(0, texture);
    f.device->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(128, 64, 128, 192));
    f.device->SetTextureStageState(0, D3DTSS_CONSTANT, D3DCOLOR_ARGB(255, 10, 20, 30));
    const D3DCOLOR diffuse = D3DCOLOR_ARGB(64, 200, 100, 50);
    constexpr DWORD T = D3DTA_TEXTURE, F = D3DTA_TFACTOR, D = D3DTA_DIFFUSE;
    struct Case {
        DWORD op, arg1, arg2, arg0;
        Rgba want;  // alpha: the stage's default alpha op selects the texture's 204
    };
    const Case cases[] = {
        {D3DTOP_SELECTARG1, T, F, D, {51, 102, 153, 204}},
        {D3DTOP_SELECTARG2, T, F, D, {64, 128, 192, 204}},
        {D3DTOP_MODULATE, T, F, D, {13, 51, 115, 204}},
        {D3DTOP_MODULATE2X, T, F, D, {26, 102, 230, 204}},
        {D3DTOP_MODULATE4X, T, F, D, {51, 205, 255, 204}},
        {D3DTOP_ADD, T, F, D, {115, 230, 255, 204}},
        {D3DTOP_ADDSIGNED, T, F, D, {0, 103, 218, 204}},
        {D3DTOP_ADDSIGNED2X, T, F, D, {0, 205, 255, 204}},
        {D3DTOP_SUBTRACT, F, T, D, {13, 26, 39, 204}},
        {D3DTOP_ADDSMOOTH, T, F, D, {102, 179, 230, 204}},
        {D3DTOP_BLENDDIFFUSEALPHA, T, F, D, {61, 122, 182, 204}},
        {D3DTOP_BLENDTEXTUREALPHA, T, F, D, {54, 107, 161, 204}},
        {D3DTOP_BLENDFACTORALPHA, T, F, D, {57, 115, 172, 204}},
        {D3DTOP_BLENDTEXTUREALPHAPM, T, F, D, {64, 128, 191, 204}},
        {D3DTOP_BLENDCURRENTALPHA, T, F, D, {61, 122, 182, 204}},
        {D3DTOP_MODULATEALPHA_ADDCOLOR, T, F, D, {102, 204, 255, 204}},
        {D3DTOP_MODULATECOLOR_ADDALPHA, T, F, D, {217, 255, 255, 204}},
        {D3DTOP_MODULATEINVALPHA_ADDCOLOR, T, F, D, {64, 128, 191, 204}},
        {D3DTOP_MODULATEINVCOLOR_ADDALPHA, F, T, D, {166, 179, 166, 204}},
        {D3DTOP_DOTPRODUCT3, T, F, D, {102, 102, 102, 102}},  // fills alpha too
        {D3DTOP_MULTIPLYADD, T, F, D, {213, 151, 165, 204}},
        {D3DTOP_LERP, T, F, D, {54, 118, 184, 204}},
        {D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, F, D, {204, 153, 102, 204}},
        {D3DTOP_SELECTARG1, T | D3DTA_ALPHAREPLICATE, F, D, {204, 204, 204, 204}},
        {D3DTOP_SELECTARG1, D3DTA_CONSTANT, F, D, {10, 20, 30, 204}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "op " << c.op << " arg1 0x" << std::hex << c.arg1);
        f.device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        f.device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        f.device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        f.device->SetTextureStageState(0, D3DTSS_COLORARG0, c.arg0);
        clear(f.device);
        drawScreenQuad(f.device, 4, 4, diffuse);
        EXPECT_TRUE(near(pixel(f.device, 1, 1), c.want));
    }

    // The alpha op on its own arguments, and a second stage reading the first's result
    // from TEMP while CURRENT keeps the diffuse colour.
    f.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    f.device->SetTextureStageState(0, D3DTSS_COLORARG1, F);
    f.device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
    f.device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    f.device->SetTextureStageState(0, D3DTSS_ALPHAARG1, T);
    f.device->SetTextureStageState(0, D3DTSS_ALPHAARG2, F);
    f.device->SetTexture(1, texture);
    f.device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    f.device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEMP);
    f.device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    f.device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    f.device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEMP);
    clear(f.device);
    drawScreenQuad(f.device, 4, 4, diffuse);
    // factor x diffuse = (50, 50, 38); alpha 204 x 128 / 255 = 102.
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {50, 50, 38, 102}));

    // Drawing a state seen before builds no program; a new one builds one.
    const unsigned built = d3d9::fixedFunctionProgramCount(f.device);
    EXPECT_GE(built, 20u);
    drawScreenQuad(f.device, 4, 4, diffuse);
    EXPECT_EQ(built, d3d9::fixedFunctionProgramCount(f.device));
    f.device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    drawScreenQuad(f.device, 4, 4, diffuse);
    EXPECT_EQ(built + 1, d3d9::fixedFunctionProgramCount(f.device));
    f.device->SetTexture(0, nullptr);
    f.device->SetTexture(1, nullptr);
    texture->Release();
}

TEST(FixedFunctionGl, LightsADirectionalPointAndSpotLight) {
    DeviceFixture f;
    REQUIRE_GL(f, 4, 4);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    ASSERT_EQ(D3D_OK, f.device->SetMaterial(&material));

    // Directional, slanted: N.L = 0.8 scales the light's diffuse (0.5, 0.25, 1).
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.25f, 1, 1};
    light.Direction = {0, 0.6f, 0.8f};
    ASSERT_EQ(D3D_OK, f.device->SetLight(0, &light));
    ASSERT_EQ(D3D_OK, f.device->LightEnable(0, TRUE));
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {102, 51, 204, 255}));

    // Point light 2 in front of the square: each corner is sqrt(6) away, N.L = 2/sqrt(6),
    // attenuation 1 / (0.5 + 0.25 * 6) = 0.5, so diffuse (1, 0.5, 0) x 0.408.
    light = D3DLIGHT9{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1, 0.5f, 0, 1};
    light.Position = {0, 0, -1.5f};
    light.Range = 10;
    light.Attenuation0 = 0.5f;
    light.Attenuation2 = 0.25f;
    ASSERT_EQ(D3D_OK, f.device->SetLight(0, &light));
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {104, 52, 0, 255}));
    // Out of range: dark (the material's alpha stays).
    light.Range = 2;
    ASSERT_EQ(D3D_OK, f.device->SetLight(0, &light));
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {0, 0, 0, 255}));

    // Spot along +z from the same place: the corners are 35.26 degrees off its axis.
    light.Type = D3DLIGHT_SPOT;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    light.Range = 10;
    light.Attenuation0 = 1;
    light.Attenuation2 = 0;
    light.Falloff = 1;
    struct Cone {
        float theta, phi;
        int want;
    };
    const Cone cones[] = {
        {1.5707964f, 2.0943952f, 208},  // inside the inner cone: N.L = 0.8165
        {1.0471976f, 1.5707964f, 143},  // between: (0.8165 - cos 45) / (cos 30 - cos 45) = 0.688
        {0.5235988f, 1.0471976f, 0},    // outside the outer cone
    };
    for (const Cone& c : cones) {
        SCOPED_TRACE(testing::Message() << "theta " << c.theta << " phi " << c.phi);
        light.Theta = c.theta;
        light.Phi = c.phi;
        ASSERT_EQ(D3D_OK, f.device->SetLight(0, &light));
        clear(f.device);
        drawLitSquare(f.device);
        EXPECT_TRUE(near(pixel(f.device, 1, 1), {c.want, c.want, c.want, 255}));
    }

    // Lighting off: the vertices have no colour, so they are white.
    f.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {255, 255, 255, 255}, 0));
}

TEST(FixedFunctionGl, FogsByVertexAndByTable) {
    DeviceFixture f;
    REQUIRE_GL(f, 4, 4);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    f.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    f.device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    f.device->SetRenderState(D3DRS_FOGCOLOR, D3DCOLOR_ARGB(0, 0, 0, 255));
    struct Vertex {
        float x, y, z;
        D3DCOLOR diffuse;
    };
    const D3DCOLOR red = D3DCOLOR_ARGB(255, 255, 0, 0);
    const Vertex quad[4] = {{-1, 1, 0.5f, red}, {1, 1, 0.5f, red}, {-1, -1, 0.5f, red}, {1, -1, 0.5f, red}};
    ASSERT_EQ(D3D_OK, f.device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE));

    // Linear vertex fog from 0 to 1 at depth 0.5: half fog colour.
    f.device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    f.device->SetRenderState(D3DRS_FOGSTART, bits(0.0f));
    f.device->SetRenderState(D3DRS_FOGEND, bits(1.0f));
    clear(f.device);
    ASSERT_EQ(D3D_OK, f.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]));
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {128, 0, 128, 255}));

    // Exponential table fog, density 2 at depth 0.5: f = e^-1 = 0.368.
    f.device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    f.device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
    f.device->SetRenderState(D3DRS_FOGDENSITY, bits(2.0f));
    clear(f.device);
    ASSERT_EQ(D3D_OK, f.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof quad[0]));
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {94, 0, 161, 255}));
}

// A cube on a stage reads along the stage's coordinates: here the camera-space normal,
// (0, 0, -1) on the square, turned by the texture transform onto another face.
TEST(FixedFunctionGl, CubeStageReadsAlongGeneratedCoordinates) {
    DeviceFixture f;
    REQUIRE_GL(f, 4, 4);
    IDirect3DCubeTexture9* cube = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateCubeTexture(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr));
    for (int face = 0; face < 6; ++face) {
        D3DLOCKED_RECT r;
        ASSERT_EQ(D3D_OK, cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &r, nullptr, 0));
        const std::uint8_t texel[4] = {0, static_cast<std::uint8_t>(40 * face), 200, 255};  // B, G, R, A
        std::memcpy(r.pBits, texel, 4);
        ASSERT_EQ(D3D_OK, cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0));
    }
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    f.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    f.device->SetTexture(0, cube);
    f.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    f.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    f.device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 2, 2), {200, 200, 0, -1}));  // -Z, face 5
    // A transform that swaps x and z turns the normal onto the -X face.
    D3DMATRIX swap{};
    swap._13 = swap._22 = swap._31 = swap._44 = 1;
    f.device->SetTransform(D3DTS_TEXTURE0, &swap);
    f.device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 2, 2), {200, 40, 0, -1}));  // -X, face 1
    f.device->SetTexture(0, nullptr);
    cube->Release();
}

// Indexed vertices from the caller's memory; an index past the vertices given is refused.
TEST(FixedFunctionGl, IndexedPrimitivesFromMemory) {
    DeviceFixture f;
    REQUIRE_GL(f, 8, 8);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    clear(f.device);
    const D3DCOLOR green = D3DCOLOR_ARGB(255, 0, 255, 0);
    // The left half of the target, as two triangles sharing two corners.
    const ScreenVertex corners[4] = {{-0.5f, -0.5f, 0.5f, 1, green}, {3.5f, -0.5f, 0.5f, 1, green},
                                     {-0.5f, 7.5f, 0.5f, 1, green}, {3.5f, 7.5f, 0.5f, 1, green}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(D3D_OK, f.device->SetFVF(kScreenFvf));
    ASSERT_EQ(D3D_OK, f.device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, corners,
                                                       sizeof corners[0]));
    EXPECT_TRUE(near(pixel(f.device, 0, 7), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(near(pixel(f.device, 3, 0), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(near(pixel(f.device, 4, 4), {0, 0, 0, 0}, 0));
    const std::uint32_t past[3] = {0, 1, 4};
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, past, D3DFMT_INDEX32,
                                                                   corners, sizeof corners[0]));
}

// The fixed pipeline clips in world space: the square moved left by the world transform
// keeps only its part right of world x = 0. Pre-transformed vertices are not clipped.
TEST(FixedFunctionGl, ClipPlanesCutInWorldSpace) {
    DeviceFixture f;
    REQUIRE_GL(f, 8, 8);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    f.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1;
    world._41 = -0.5f;
    f.device->SetTransform(D3DTS_WORLD, &world);
    const float keepRight[4] = {1, 0, 0, 0};
    ASSERT_EQ(D3D_OK, f.device->SetClipPlane(0, keepRight));
    f.device->SetRenderState(D3DRS_CLIPPLANEENABLE, 1);
    clear(f.device);
    drawLitSquare(f.device);
    EXPECT_TRUE(near(pixel(f.device, 5, 4), {255, 255, 255, -1}));
    EXPECT_TRUE(near(pixel(f.device, 3, 4), {0, 0, 0, -1}));  // kept, were the plane in object space
    EXPECT_TRUE(near(pixel(f.device, 7, 4), {0, 0, 0, -1}));  // past the square
    clear(f.device);
    drawScreenQuad(f.device, 8, 8, D3DCOLOR_ARGB(255, 0, 0, 255));
    EXPECT_TRUE(near(pixel(f.device, 1, 1), {0, 0, 255, 255}));
}
