// Meshes and a scene read from files, drawn on headless OpenGL: the picture must show
// each mesh where its file and animation put it, with its material texture.
#include <cstdlib>
#include <fstream>

#include "app/globals/DisplaySettings.h"
#include "assets/DataFiles.h"
#include "platform/d3d9/backend.h"
#include "platform/win32/messagebox.h"
#include "assets/Scene.h"
#include "render/Camera.h"
#include "render/TestFiles.h"
#include "render/TextureStack.h"

using namespace testing_support;

namespace {

constexpr UINT kWidth = 160;
constexpr UINT kHeight = 120;

const char* const kEffect =
    "float4x4 matWorldViewProjection;\n"
    "texture tex0;\n"
    "sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Point; MagFilter = Point; };\n"
    "struct VOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };\n"
    "VOut VS(float3 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD0) {\n"
    "    VOut o;\n"
    "    o.pos = mul(float4(p, 1), matWorldViewProjection);\n"
    "    o.uv = uv;\n"
    "    return o;\n"
    "}\n"
    "float4 PS(float2 uv : TEXCOORD0) : COLOR { return tex2D(s0, uv); }\n"
    "technique Textured { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS();\n"
    "    CullMode = None; ZEnable = false; } }\n";

struct Rgb {
    int r, g, b;
};

class GlRender : public ::testing::Test {
protected:
    IDirect3DDevice9* device = nullptr;
    Effect effect;
    std::string dir;
    std::vector<std::uint8_t> pixels;

    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
        d3d9::BackendConfig config;
        config.backend = d3d9::Backend::Gl;
        config.headless = true;
        d3d9::configure(config);
        IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!d3d) GTEST_SKIP() << "no Direct3D object";
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                             D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device);
        d3d->Release();
        if (FAILED(hr) || !device) GTEST_SKIP() << "no headless OpenGL here";
        gDevice = device;
        dir = scratchFolder();
        std::ofstream(dir + "tex.fx") << kEffect;
        effect.load((dir + "tex.fx").c_str());
        ASSERT_NE(effect.compiled, nullptr) << win32::lastMessageBox().text;
        ASSERT_TRUE(writePng(dir + "red.png", 4, 4, 0xFF0000FF));
        ASSERT_TRUE(writePng(dir + "green.png", 4, 4, 0x00FF00FF));
        ASSERT_TRUE(writeFile(dir + "red.material", materialListBytes({"red.png"}, 1).data));
        ASSERT_TRUE(writeFile(dir + "green.material", materialListBytes({"green.png"}, 1).data));
        ASSERT_TRUE(writeFile(dir + "left.mesh", quadMesh(-320, -240, 0, 240, 1).bytes().data));
        MeshFile right = quadMesh(0, 0, 320, 240, 1);  // top right, moved down by its key
        right.materialIndex = 1;
        right.keys.positions = {{0, -240, 0}};
        right.keys.rotations = {{0, 0, 0, 1}};
        right.keys.scales = {{1, 1, 1}};
        ASSERT_TRUE(writeFile(dir + "right.mesh", right.bytes().data));
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 255), 1.0f, 0);
        setScreenMatrices(&effect);
    }
    void TearDown() override {
        effect.release();
        gDevice = nullptr;
        if (device) device->Release();
        d3d9::configure(d3d9::BackendConfig{});
    }
    void finish() {
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        UINT w = 0, h = 0;
        ASSERT_TRUE(d3d9::readBackBuffer(device, pixels, w, h));
        ASSERT_EQ(w, kWidth);
        ASSERT_EQ(h, kHeight);
    }
    Rgb at(int x, int y) const {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
        return {p[0], p[1], p[2]};
    }
};

#define EXPECT_RGB(pixel, R, G, B)                                                                  \
    do {                                                                                            \
        const Rgb c_ = (pixel);                                                                     \
        EXPECT_TRUE(std::abs(c_.r - (R)) <= 3 && std::abs(c_.g - (G)) <= 3 && std::abs(c_.b - (B)) <= 3) \
            << "got " << c_.r << "," << c_.g << "," << c_.b;                                         \
    } while (0)

TEST_F(GlRender, MeshFileWithATextureFromTheStack) {
    TextureStack stack;
    const std::string red = dir + "red.png";
    const char* list[] = {red.c_str(), "red", nullptr};
    stack.load(list);
    Mesh mesh;
    mesh.load((dir + "left.mesh").c_str());
    mesh.animate(0);
    effect.compiled->SetTexture("tex0", stack.find("red"));
    mesh.draw({"Textured", &effect, DRAW_ALL_PASSES, 0});
    finish();
    EXPECT_RGB(at(10, 10), 255, 0, 0);
    EXPECT_RGB(at(70, 110), 255, 0, 0);
    EXPECT_RGB(at(90, 10), 0, 0, 255);
    EXPECT_RGB(at(150, 110), 0, 0, 255);
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
}

TEST_F(GlRender, SceneDrawsEachMeshWithItsMaterialAndAnimation) {
    const std::string scene = sceneLine(0, "red.material", 0) + sceneLine(0, "green.material", 0) +
                              sceneLine(1, "left.mesh", 0) + sceneLine(2, "right.mesh", 0) + "\xFF";
    ASSERT_TRUE(writeText(dir + "two.scene", scene));
    Scene s;
    s.load((dir + "two.scene").c_str(), &effect);
    ASSERT_EQ(s.meshes.size(), 2u);
    s.draw("Textured", nullptr, 0.0f, DRAW_ALL_PASSES);
    finish();
    EXPECT_RGB(at(10, 10), 255, 0, 0);     // left half: red list
    EXPECT_RGB(at(70, 100), 255, 0, 0);
    EXPECT_RGB(at(120, 90), 0, 255, 0);    // bottom right: green, moved down by its key
    EXPECT_RGB(at(150, 118), 0, 255, 0);
    EXPECT_RGB(at(120, 30), 0, 0, 255);    // top right: nothing drawn
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
}

}  // namespace
