// The OpenGL backend, headless on EGL: clears, read-back orientation, multisampling,
// and a few draws through a test shader that check D3D9's culling, depth range and
// screen orientation.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cstring>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"

using d3d9test::DeviceFixture;

namespace {

struct Pixels {
    std::vector<std::uint8_t> rgba;
    UINT width = 0, height = 0;
    const std::uint8_t* at(UINT x, UINT y) const { return &rgba[(y * width + x) * 4]; }
};

::testing::AssertionResult pixelIs(const Pixels& p, UINT x, UINT y, int r, int g, int b, int a = -1) {
    const std::uint8_t* px = p.at(x, y);
    if (px[0] == r && px[1] == g && px[2] == b && (a < 0 || px[3] == a)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(px[0])
                                         << " " << int(px[1]) << " " << int(px[2]) << " "
                                         << int(px[3]);
}

Pixels readBack(IDirect3DDevice9* device) {
    Pixels p;
    EXPECT_TRUE(d3d9::readBackBuffer(device, p.rgba, p.width, p.height));
    return p;
}

#define REQUIRE_GL(f, w, h, ...) \
    if (!(f).createHeadless(w, h, ##__VA_ARGS__)) GTEST_SKIP() << "no headless OpenGL here"

}  // namespace

TEST(GlDevice, ClearsAndReadsBackTopRowFirst) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 32);
    ASSERT_EQ(D3D_OK, f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                                      D3DCOLOR_ARGB(0x80, 0xFF, 0x80, 0x00), 1.0f, 0));
    // The top-left quarter in D3D's pixel rectangle (origin top-left).
    const RECT quarter{0, 0, 32, 16};
    ASSERT_EQ(D3D_OK, f.device->Clear(1, &quarter, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0xFF, 0, 0xFF, 0), 1.0f, 0));
    Pixels p = readBack(f.device);
    ASSERT_EQ(64u, p.width);
    ASSERT_EQ(32u, p.height);
    EXPECT_TRUE(pixelIs(p, 0, 0, 0, 255, 0, 255));
    EXPECT_TRUE(pixelIs(p, 31, 15, 0, 255, 0, 255));
    EXPECT_TRUE(pixelIs(p, 32, 0, 255, 128, 0, 128));
    EXPECT_TRUE(pixelIs(p, 0, 16, 255, 128, 0, 128));
    EXPECT_TRUE(pixelIs(p, 63, 31, 255, 128, 0, 128));
}

TEST(GlDevice, ClearIgnoresTheWriteMasksAndPresentKeepsTheFrame) {
    DeviceFixture f;
    REQUIRE_GL(f, 16, 16);
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    f.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    ASSERT_EQ(D3D_OK, f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 10, 20, 30), 1.0f, 0));
    ASSERT_EQ(D3D_OK, f.device->Present(nullptr, nullptr, nullptr, nullptr));
    // Drawn after Present, not presented: read-back shows the presented frame.
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 200, 200, 200), 1.0f, 0);
    Pixels p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 8, 8, 10, 20, 30, 255));
    DWORD mask = 0xF;
    f.device->GetRenderState(D3DRS_COLORWRITEENABLE, &mask);
    EXPECT_EQ(0u, mask);
}

TEST(GlDevice, AReadBackSlotKeepsThePresentedFrameOnceTheNextIsDrawn) {
    DeviceFixture f;
    REQUIRE_GL(f, 8, 4);
    const RECT top{0, 0, 8, 2};
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 10, 20, 30), 1.0f, 0);
    f.device->Clear(1, &top, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 40, 50, 60), 1.0f, 0);
    ASSERT_EQ(D3D_OK, f.device->Present(nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(d3d9::startReadBack(f.device, 0));
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 200, 200, 200), 1.0f, 0);
    Pixels p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 3, 0, 40, 50, 60, 255));
    EXPECT_TRUE(pixelIs(p, 3, 3, 10, 20, 30, 255));
    // Another slot copies the same frame; both give it, bottom row first.
    ASSERT_TRUE(d3d9::startReadBack(f.device, 1));
    for (unsigned slot : {0u, 1u}) {
        const std::uint8_t* rows = d3d9::finishReadBack(f.device, slot);
        ASSERT_NE(nullptr, rows);
        EXPECT_EQ(10, rows[0]);
        EXPECT_EQ(60, rows[3 * 8 * 4 + 2]);
    }
    ASSERT_EQ(D3D_OK, f.device->Present(nullptr, nullptr, nullptr, nullptr));
    p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 3, 0, 200, 200, 200, 255));
}

TEST(GlDevice, MultisampledDeviceCreatesClearsAndPresents) {
    DeviceFixture f;
    REQUIRE_GL(f, 32, 32, D3DMULTISAMPLE_4_SAMPLES);
    ASSERT_EQ(D3D_OK, f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                                      D3DCOLOR_ARGB(255, 0, 0, 255), 1.0f, 0));
    ASSERT_EQ(D3D_OK, f.device->Present(nullptr, nullptr, nullptr, nullptr));
    Pixels p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 5, 20, 0, 0, 255, 255));
    // The depth surface must have the back buffer's samples.
    IDirect3DSurface9* single = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateDepthStencilSurface(32, 32, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0,
                                                          TRUE, &single, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, f.device->SetDepthStencilSurface(single));
    single->Release();
}

TEST(GlDevice, MoreSamplesThanTheDriverHasAreRefused) {
    d3d9::BackendConfig config;
    config.headless = true;
    d3d9::configure(config);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(nullptr, d3d);
    D3DMULTISAMPLE_TYPE unsupported = D3DMULTISAMPLE_NONE;
    for (DWORD type = 2; type <= 16 && unsupported == D3DMULTISAMPLE_NONE; ++type) {
        if (FAILED(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                                   static_cast<D3DMULTISAMPLE_TYPE>(type), nullptr))) {
            unsupported = static_cast<D3DMULTISAMPLE_TYPE>(type);
        }
    }
    if (unsupported != D3DMULTISAMPLE_NONE) {
        D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(16, 16, unsupported);
        IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&pp);
        EXPECT_TRUE(FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device)));
        EXPECT_EQ(nullptr, device);
    }
    d3d->Release();
    d3d9::configure(d3d9::BackendConfig{});
}

// ---- drawing through a test shader -----------------------------------------------------

namespace {

GLuint compile(GLenum stage, const char* source) {
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Position straight to clip space; white out.
GLuint whiteProgram() {
    const GLuint vs = compile(GL_VERTEX_SHADER,
                              "#version 450 core\nlayout(location = 0) in vec3 position;\n"
                              "void main() { gl_Position = vec4(position, 1.0); }\n");
    const GLuint fs = compile(GL_FRAGMENT_SHADER,
                              "#version 450 core\nout vec4 colour;\n"
                              "void main() { colour = vec4(1.0); }\n");
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}

struct Triangle {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    GLuint program = 0;
    IDirect3DDevice9* device = nullptr;

    // Two triangles over the top-left quarter of the screen at depth z: the first
    // clockwise on screen, the second (same corners) counter-clockwise.
    void create(IDirect3DDevice9* d, float z) {
        device = d;
        const float v[] = {-1, 1, z, 0, 1, z, -1, 0, z};
        ASSERT_EQ(D3D_OK, d->CreateVertexBuffer(sizeof v, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr));
        void* data = nullptr;
        ASSERT_EQ(D3D_OK, vb->Lock(0, 0, &data, D3DLOCK_DISCARD));
        std::memcpy(data, v, sizeof v);
        vb->Unlock();
        ASSERT_EQ(D3D_OK, d->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr));
        ASSERT_EQ(D3D_OK, ib->Lock(0, 0, &data, 0));
        const WORD indices[] = {0, 1, 2, 0, 2, 1};
        std::memcpy(data, indices, sizeof indices);
        ib->Unlock();
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
        ASSERT_EQ(D3D_OK, d->CreateVertexDeclaration(elements, &decl));
        d3d9::internal::makeCurrent(d);
        program = whiteProgram();
        d->SetStreamSource(0, vb, 0, 12);
        d->SetIndices(ib);
        d->SetVertexDeclaration(decl);
    }
    // Which: 0 the clockwise triangle, 1 the counter-clockwise one.
    void draw(int which) {
        d3d9::internal::makeCurrent(device);
        glUseProgram(program);
        ASSERT_EQ(D3D_OK, device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, which * 3, 1));
    }
    ~Triangle() {
        if (program) {
            d3d9::internal::makeCurrent(device);
            glUseProgram(0);
            glDeleteProgram(program);
        }
        if (decl) decl->Release();
        if (ib) ib->Release();
        if (vb) vb->Release();
    }
};

bool topLeftLit(IDirect3DDevice9* device) {
    Pixels p = readBack(device);
    EXPECT_TRUE(pixelIs(p, 60, 60, 0, 0, 0));   // bottom right never drawn
    EXPECT_TRUE(pixelIs(p, 4, 60, 0, 0, 0));    // bottom left never drawn
    return p.at(4, 4)[0] == 255;
}

}  // namespace

TEST(GlDevice, CullModesCullTheFacesThatWindThatWayOnScreen) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 64);
    Triangle t;
    t.create(f.device, 0.5f);
    struct Case {
        DWORD cull;
        int which;
        bool visible;
    } cases[] = {
        {D3DCULL_CCW, 0, true},  {D3DCULL_CCW, 1, false}, {D3DCULL_CW, 0, false},
        {D3DCULL_CW, 1, true},   {D3DCULL_NONE, 0, true}, {D3DCULL_NONE, 1, true},
    };
    for (const Case& c : cases) {
        f.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        f.device->SetRenderState(D3DRS_CULLMODE, c.cull);
        t.draw(c.which);
        EXPECT_EQ(c.visible, topLeftLit(f.device)) << "cull " << c.cull << " triangle " << c.which;
    }
}

TEST(GlDevice, DepthRunsFromZeroToOneAsInD3d9) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 64);
    Triangle t;
    t.create(f.device, 0.2f);  // depth 0.2 in D3D9 (0.6 under GL's default range)
    f.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.4f, 0);
    t.draw(0);
    EXPECT_TRUE(topLeftLit(f.device));
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.1f, 0);
    t.draw(0);
    EXPECT_FALSE(topLeftLit(f.device));
    // Depth test off draws regardless.
    f.device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    t.draw(0);
    EXPECT_TRUE(topLeftLit(f.device));
}

TEST(GlDevice, BlendingAndColourMaskFollowTheRenderStates) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 64);
    Triangle t;
    t.create(f.device, 0.5f);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
    t.draw(0);
    Pixels p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 4, 4, 255, 0, 0, 255));
    // White with blend ONE / ONE, BLENDOP REVSUBTRACT: dest - src = 0 on red.
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 128, 128, 128), 1.0f, 0);
    f.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    f.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    f.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    t.draw(0);
    p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 4, 4, 128, 128, 128));
    f.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    f.device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    t.draw(0);
    p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 4, 4, 0, 0, 0));
}

TEST(GlDevice, StencilStatesMaskLaterDraws) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 64);  // the fixture's depth surface is D24S8
    Triangle t;
    t.create(f.device, 0.5f);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    // Mark the triangle's pixels with 1 in the stencil buffer, drawing no colour.
    f.device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    f.device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    f.device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    f.device->SetRenderState(D3DRS_STENCILREF, 1);
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    t.draw(0);
    EXPECT_FALSE(topLeftLit(f.device));
    f.device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    f.device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    f.device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NOTEQUAL);
    t.draw(0);
    EXPECT_FALSE(topLeftLit(f.device));
    f.device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    t.draw(0);
    EXPECT_TRUE(topLeftLit(f.device));
    // Clearing the stencil buffer ignores the write mask.
    f.device->SetRenderState(D3DRS_STENCILWRITEMASK, 0);
    f.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    t.draw(0);
    EXPECT_FALSE(topLeftLit(f.device));
}

TEST(GlDevice, TexturesSampleTheirTopRowAtVZero) {
    DeviceFixture f;
    REQUIRE_GL(f, 64, 64);
    // 2 x 2, top row first: red, green / blue, white.
    const std::uint8_t pixels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, d3d9::internal::createTexture(f.device, 2, 2, pixels, "quad", &texture));
    ASSERT_EQ(D3D_OK, f.device->SetTexture(0, texture));
    f.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    f.device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    f.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

    // A quad over the whole target, u to the right and v downwards as D3D maps them.
    const float vertices[] = {-1, 1, 0.5f, 0, 0, 1, 1, 0.5f, 1, 0, -1, -1, 0.5f, 0, 1, 1, -1, 0.5f, 1, 1};
    const WORD indices[] = {0, 1, 2, 2, 1, 3};
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(D3D_OK, f.device->CreateVertexBuffer(sizeof vertices, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr));
    ASSERT_EQ(D3D_OK, f.device->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr));
    void* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices, sizeof vertices);
    vb->Unlock();
    ib->Lock(0, 0, &data, 0);
    std::memcpy(data, indices, sizeof indices);
    ib->Unlock();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(D3D_OK, f.device->CreateVertexDeclaration(elements, &decl));
    f.device->SetStreamSource(0, vb, 0, 20);
    f.device->SetIndices(ib);
    f.device->SetVertexDeclaration(decl);

    d3d9::internal::makeCurrent(f.device);
    const GLuint vs = compile(GL_VERTEX_SHADER,
                              "#version 450 core\nlayout(location = 0) in vec3 position;\n"
                              "layout(location = 2) in vec2 uv;\nout vec2 texcoord;\n"
                              "void main() { gl_Position = vec4(position, 1.0); texcoord = uv; }\n");
    const GLuint fs = compile(GL_FRAGMENT_SHADER,
                              "#version 450 core\nlayout(binding = 0) uniform sampler2D tex;\n"
                              "in vec2 texcoord;\nout vec4 colour;\n"
                              "void main() { colour = texture(tex, texcoord); }\n");
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glUseProgram(program);
    EXPECT_EQ(D3D_OK, f.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2));
    Pixels p = readBack(f.device);
    EXPECT_TRUE(pixelIs(p, 8, 8, 255, 0, 0));
    EXPECT_TRUE(pixelIs(p, 56, 8, 0, 255, 0));
    EXPECT_TRUE(pixelIs(p, 8, 56, 0, 0, 255));
    EXPECT_TRUE(pixelIs(p, 56, 56, 255, 255, 255));

    glUseProgram(0);
    glDeleteProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    decl->Release();
    ib->Release();
    vb->Release();
    texture->Release();
}
