// Shader assembly in effects, drawn on headless OpenGL and read back: each case's pixel
// is worked out by hand from the instruction's D3D9 definition.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "effects/DeviceFixture.h"
#include "platform/d3d9/internal.h"

namespace {

struct Vertex {
    float x, y, z, u, v;
};

constexpr UINT kSize = 64;

class AsmPixels : public ::testing::Test {
protected:
    void SetUp() override {
        device = fxtest::createDevice(d3d9::Backend::Gl, nullptr, kSize, kSize);
        ASSERT_TRUE(device);
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                              {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                              D3DDECL_END()};
        ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
        ASSERT_EQ(device->CreateVertexBuffer(sizeof(Vertex) * 4, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices, nullptr),
                  D3D_OK);
        // The whole target in clip space, u right and v down as D3D's texture space.
        const Vertex quad[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
        void* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, quad, sizeof quad);
        vertices->Unlock();
        ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
                  D3D_OK);
        ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
        const std::uint16_t order[6] = {0, 1, 2, 2, 1, 3};
        std::memcpy(data, order, sizeof order);
        indices->Unlock();
    }
    void TearDown() override {
        if (!dir.empty()) std::filesystem::remove_all(dir);
        if (texture) texture->Release();
        if (effect) effect->Release();
        if (declaration) declaration->Release();
        if (vertices) vertices->Release();
        if (indices) indices->Release();
        if (device) device->Release();
    }
    // Creates the effect from `text`; the errors' text when it fails.
    std::string load(const std::string& text) {
        if (effect) effect->Release();
        effect = nullptr;
        // ctest runs these cases side by side: a file of each process's own, named as the
        // messages expect.
        dir = ::testing::TempDir() + "asm-" + std::to_string(getpid());
        std::filesystem::create_directories(dir);
        std::string path = dir + "/asm_test.fx";
        std::ofstream(path) << text;
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
        std::string message = fxtest::bufferText(errors);
        if (errors) errors->Release();
        return SUCCEEDED(hr) ? std::string() : message.empty() ? "failed" : message;
    }
    void draw() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
        device->BeginScene();
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vertices, 0, sizeof(Vertex));
        device->SetIndices(indices);
        UINT passes = 0;
        ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
        for (UINT p = 0; p < passes; ++p) {
            effect->BeginPass(p);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
            effect->EndPass();
        }
        effect->End();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        UINT w = 0, h = 0;
        ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
    }
    // r, g, b of the pixel at (x, y), D3D's top-left origin.
    std::string rgb(int x, int y) const {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)) * 4];
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%d %d %d", p[0], p[1], p[2]);
        return buffer;
    }
    static std::string color(int r, int g, int b) { return std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b); }
    // Within 2 of the expected value in each channel.
    ::testing::AssertionResult near(const std::string& got, int r, int g, int b) const {
        int gr = 0, gg = 0, gb = 0;
        std::sscanf(got.c_str(), "%d %d %d", &gr, &gg, &gb);
        if (std::abs(gr - r) <= 2 && std::abs(gg - g) <= 2 && std::abs(gb - b) <= 2) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "got " << got << ", want " << color(r, g, b);
    }
    // A 2x1 texture: red on the left, blue on the right, point sampled.
    void twoTexels(const char* parameter) {
        const std::uint8_t image[8] = {255, 0, 0, 255, 0, 0, 255, 255};
        ASSERT_EQ(d3d9::internal::createTexture(device, 2, 1, image, "two", &texture), D3D_OK);
        ASSERT_EQ(effect->SetTexture(parameter, texture), D3D_OK);
    }

    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DTexture9* texture = nullptr;
    std::string dir;
    std::vector<std::uint8_t> pixels;
};

const char* const kPassThrough = "VertexShader = asm { vs_1_1\n dcl_position v0\n dcl_texcoord0 v1\n mov oPos, v0\n mov oT0, v1\n};\n";

std::string pixelEffect(const std::string& pixel) {
    return std::string("technique T { pass P {\n") + kPassThrough + "PixelShader = asm {\n" + pixel + "\n}; } }\n";
}

TEST_F(AsmPixels, ArithmeticAndModifiers) {
    struct Case {
        const char* code;
        int r, g, b;
    };
    const Case cases[] = {
        // swizzle
        {"ps_2_0\n def c0, 0.25, 0.5, 0.75, 1\n mov oC0, c0.wzyx", 255, 191, 128},
        // mad with a negated replicated source, then _sat
        {"ps_2_0\n def c0, 0.25, 0.5, 0.75, 1\n def c1, 2, 4, 0.5, -1\n mad_sat r0, c0, c1.x, -c0.x\n mov oC0, r0", 64, 191,
         255},
        // dp3 replicates; rcp and rsq read one component
        {"ps_2_0\n def c0, 0.5, 0.5, 0.5, 4\n dp3 r0, c0, c0\n rcp r1.x, c0.w\n rsq r1.y, c0.w\n mov r1.z, r0.y\n mov oC0, r1",
         64, 128, 191},
        // lrp, cmp and min with write masks
        {"ps_2_0\n def c0, 0.2, 0.4, 1, -1\n def c1, 0, 1, 0.5, 0.25\n lrp r0.x, c1.w, c0.z, c1.x\n cmp r0.y, c0.w, c1.x, c1.y\n"
         " min r0.z, c1.z, c0.z\n mov oC0, r0",
         64, 255, 128},
        // instruction modifiers, frc, sge and slt
        {"ps_2_0\n def c0, 0.3, 1.75, 0.6, 0.2\n add_d2 r0.x, c0.x, c0.w\n frc r0.y, c0.y\n sge r0.z, c0.z, c0.x\n"
         " slt r0.w, c0.z, c0.x\n mov oC0, r0",
         64, 191, 255},
        // pow, log, exp
        {"ps_2_0\n def c0, 0.25, 0.5, 2, 3\n pow r0.x, c0.y, c0.z\n log r0.y, c0.z\n exp r0.z, -c0.w\n mov oC0, r0", 64, 255,
         32},
        // ps_1_x: _bx2 and _x2, and results held in [-1, 1] between instructions
        {"ps_1_1\n def c0, 0.75, 0.25, 0.5, 1\n def c1, 0.5, 0.5, 0.5, 0.5\n mul_x4 r1, c0, c0\n mul r0, r1, c1", 128, 32, 128},
        {"ps_1_1\n def c0, 0.75, 0.25, 0.625, 1\n mov_x2 r0, c0_bx2\n add r0.b, c0_bias, 1-c0", 255, 0, 128},
        // cnd on r0.a, nrm, sincos
        {"ps_2_0\n def c0, 0, 3, 4, 0.6\n def c1, 1, 0.25, 0, 0\n nrm r0, c0\n cnd r1, c0.w, c1.x, c1.y\n mov r0.x, r1.x\n"
         " sincos r2.xy, c1.z\n mov r0.z, r2.x\n mov oC0, r0",
         255, 153, 255},
    };
    for (const Case& c : cases) {
        std::string error = load(pixelEffect(c.code));
        ASSERT_EQ(error, "") << c.code;
        draw();
        EXPECT_TRUE(near(rgb(32, 32), c.r, c.g, c.b)) << c.code;
    }
}

TEST_F(AsmPixels, VertexShaderConstantsFromStates) {
    // c0..c3 a matrix that halves x and moves it right: only the right half is drawn.
    // Its translation row reaches the position only if the registers hold its columns.
    std::string text =
        "float4x4 placement = {0.5,0,0,0, 0,1,0,0, 0,0,1,0, 0.5,0,0,1};\n"
        "float4 tint = {0.25, 0.5, 1, 1};\n"
        "technique T { pass P {\n"
        " VertexShaderConstant[0] = <placement>;\n VertexShaderConstant[4] = <tint>;\n"
        " VertexShaderConstant[5] = {0, 1, 0, 1};\n"
        " VertexShader = asm { vs_2_0\n dcl_position v0\n def c6, 1, 0, 0, 0\n"
        "  m4x4 oPos, v0, c0\n mova a0.x, c6.x\n mov oD0, c[a0.x + 4]\n mov oD1, c4\n };\n"
        " PixelShader = asm { ps_1_1\n add r0, v0, v1\n };\n} }\n";
    ASSERT_EQ(load(text), "");
    draw();
    EXPECT_TRUE(near(rgb(8, 32), 0, 0, 0));
    EXPECT_TRUE(near(rgb(56, 32), 64, 255, 255));
    // A new value of the parameter reaches the registers at the next pass.
    const float tint[4] = {0.5f, 0, 0, 1};
    ASSERT_EQ(effect->SetFloatArray("tint", tint, 4), D3D_OK);
    draw();
    EXPECT_TRUE(near(rgb(56, 32), 128, 255, 0));
    // The register files are no parameters of the file.
    D3DXEFFECT_DESC desc{};
    ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Parameters, 2u);
}

TEST_F(AsmPixels, PixelShader1xTextureInstructions) {
    const char* head = "texture tex0;\ntechnique T { pass P {\n Texture[0] = <tex0>; Texture[1] = <tex0>;\n"
                       " BumpEnvMat00[1] = 0.5; BumpEnvMat11[1] = 0; BumpEnvLScale[1] = <0.25 * 2>;\n"
                       " VertexShader = asm { vs_1_1\n dcl_position v0\n dcl_texcoord0 v1\n def c0, 0.5, 0, 0, 0\n"
                       "  mov oPos, v0\n mov oT0, v1\n mov oT1, v1\n sub oT2, v1, c0\n };\n PixelShader = asm {\n";
    struct Case {
        const char* code;
        const char* left;  // at a quarter of the width
        const char* right;  // at three quarters
    };
    const Case cases[] = {
        {"ps_1_1\n tex t0\n mov r0, t0", "255 0 0", "0 0 255"},
        // t0 red on the left: its .x moves stage 1's u by 0.5 into the blue texel
        {"ps_1_1\n tex t0\n texbem t1, t0\n mov r0, t1", "0 0 255", "0 0 255"},
        // texbeml also scales by t0's blue times BumpEnvLScale: none on the left, half on the right
        {"ps_1_1\n tex t0\n texbeml t1, t0\n mov r0, t1", "0 0 0", "0 0 128"},
        // bem: c0 plus the stage's bump matrix applied to r0 gives stage 1's coordinates
        {"ps_1_4\n def c0, 0.25, 0.5, 0, 0\n texld r0, t0\n bem r1.rg, c0, r0\n phase\n texld r1, r1\n mov r0, r1",
         "0 0 255", "255 0 0"},
        // texcoord copies the coordinates, clamped; texkill drops pixels whose t2 is negative
        {"ps_1_1\n texcoord t0\n texkill t2\n mov r0, t0", "0 0 0", "193 66 0"},
        {"ps_1_4\n texld r0, t0\n", "255 0 0", "0 0 255"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(load(std::string(head) + c.code + "\n}; } }\n"), "") << c.code;
        twoTexels("tex0");
        draw();
        int r = 0, g = 0, b = 0;
        std::sscanf(c.left, "%d %d %d", &r, &g, &b);
        EXPECT_TRUE(near(rgb(16, 16), r, g, b)) << c.code;
        std::sscanf(c.right, "%d %d %d", &r, &g, &b);
        EXPECT_TRUE(near(rgb(48, 16), r, g, b)) << c.code;
        texture->Release();
        texture = nullptr;
    }
}

TEST_F(AsmPixels, ShaderModel3FlowControl) {
    // rep adds 0.25 three times; loop adds c4 and c5 through aL; if_gt picks by u;
    // break_ge leaves a rep of 10 after 2 rounds.
    std::string text =
        "technique T { pass P {\n"
        " VertexShader = asm { vs_3_0\n dcl_position v0\n dcl_texcoord0 v1\n dcl_position o0\n dcl_texcoord0 o1\n"
        "  dcl_texcoord1 o2\n def c0, 0.25, 0, 0, 0\n def c4, 0, 0.125, 0, 0\n def c5, 0, 0.25, 0, 0\n"
        "  defi i0, 3, 0, 0, 0\n defi i1, 2, 4, 1, 0\n mov r0, c0.y\n rep i0\n add r0.x, r0.x, c0.x\n endrep\n"
        "  loop aL, i1\n add r0.y, r0.y, c[aL].y\n endloop\n mov o0, v0\n mov o1, v1\n mov o2, r0\n };\n"
        " PixelShader = asm { ps_3_0\n dcl_texcoord0 v0.xy\n dcl_texcoord1 v1\n def c0, 0.5, 1, 0, 0.25\n defi i0, 10, 0, 0, 0\n"
        "  mov r0, v1\n if_gt v0.x, c0.x\n mov r0.z, c0.y\n else\n mov r0.z, c0.z\n endif\n"
        "  mov r1, c0.z\n rep i0\n break_ge r1.x, c0.x\n add r1.x, r1.x, c0.w\n endrep\n"
        "  mov r0.w, c0.y\n add r0.x, r0.x, -r1.x\n mov oC0, r0\n };\n} }\n";
    ASSERT_EQ(load(text), "");
    draw();
    EXPECT_TRUE(near(rgb(16, 32), 64, 96, 0));
    EXPECT_TRUE(near(rgb(48, 32), 64, 96, 255));
}

TEST_F(AsmPixels, ErrorsNameTheirLine) {
    struct Case {
        const char* code;  // the pixel shader, from line 3 of the file
        int line;
        const char* words;
    };
    const Case cases[] = {
        {"ps_2_0\n mov oC0, c0\n frob r0, c0", 5, "frob"},
        {"ps_2_0\n\n mov oC0, q7", 5, "q7"},
        {"ps_2_0\n add r0, c0", 4, "takes"},
        {"ps_2_0\n mov r0.zx, c0", 4, "mask"},
        {"ps_2_0\n mov oC0, c9999", 4, "c9999"},
        {"ps_2_0\n rep i0\n mov oC0, c0", 5, "not closed"},
        {"ps_2_0\n endif", 4, "endif"},
        {"vs_1_1\n mov oPos, v0", 3, "not a pixel shader"},
        {"ps_2_0\n def c0, 1, 2", 4, "four values"},
        {"ps_2_0\n mov oC0, c[a0.x + ]", 4, "empty"},
        {"mov oC0, c0", 3, "version"},
        {"ps_3_0\n rep i0\n rep i0\n rep i0\n rep i0\n rep i0", 8, "nested too deep"},
    };
    for (const Case& c : cases) {
        std::string error = load("technique T { pass P {\nPixelShader = asm {\n" + std::string(c.code) + "\n}; } }\n");
        EXPECT_NE(error.find("asm_test.fx(" + std::to_string(c.line) + "): error: "), std::string::npos)
            << c.code << " -> " << error;
        EXPECT_NE(error.find(c.words), std::string::npos) << c.code << " -> " << error;
    }
}

}  // namespace
