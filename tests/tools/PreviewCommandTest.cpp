// glimmerhop-tool fx --render on small effect files of our own: the sheet's layout, what
// each tile shows, the parameter listing, and the ways a preview can fail.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/CommandRun.h"
#include "PreviewBinder.h"
#include "PreviewSheet.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace fs = std::filesystem;

namespace {

const char kEffect[] = R"(
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float4x4 matWorld;
float3 lightDir < string Object = "DirectionalLight"; >;
float Shininess = 20;
texture stripes < string ResourceName = "STRIPES_FILE"; >;
sampler2D stripeSampler = sampler_state { Texture = <stripes>; MinFilter = Point; MagFilter = Point; };
struct VsOut { float4 pos : POSITION; float3 n : TEXCOORD1; float2 uv : TEXCOORD0; };
VsOut vs(float4 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD0) {
    VsOut o; o.pos = mul(p, WorldViewProj); o.n = mul(n, (float3x3)matWorld); o.uv = uv; return o;
}
float4 psStripes(VsOut i) : COLOR { return float4(tex2D(stripeSampler, i.uv).rgb * (0.5 + 0.5 * saturate(dot(i.n, lightDir))), 1); }
float4 psNormals(VsOut i) : COLOR { return float4(normalize(i.n) * 0.5 + 0.5, 1); }
technique Striped { pass p0 { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 psStripes(); } }
technique Normals { pass p0 { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 psNormals(); } }
)";

using FxRun = tooltest::CommandRun;

FxRun fx(const std::string& args) {
    return tooltest::runCommand(std::string(GH_BINARY_DIR) + "/glimmerhop-tool fx " + args + " 2>&1");
}

// The effect in a folder of its own, with a red and green striped texture beside it.
std::string writeEffect(const std::string& name, const std::string& textureFile) {
    const std::string dir = "test-files/preview-" + name + "/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string text = kEffect;
    text.replace(text.find("STRIPES_FILE"), 12, textureFile);
    std::ofstream(dir + "two.fx") << text;
    std::vector<unsigned char> rgb(32 * 32 * 3);
    for (int i = 0; i < 32 * 32; ++i) {
        const bool red = (i % 32) / 4 % 2 == 0;
        rgb[i * 3] = red ? 255 : 0, rgb[i * 3 + 1] = red ? 0 : 255, rgb[i * 3 + 2] = 0;
    }
    stbi_write_png((dir + "stripes.png").c_str(), 32, 32, 3, rgb.data(), 32 * 3);
    return dir;
}

struct Tile {
    std::vector<unsigned char> rgb;
    bool has(bool (*test)(const unsigned char*)) const {
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
            if (test(&rgb[i])) return true;
        return false;
    }
    std::size_t colours() const {
        std::vector<unsigned> seen;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
            const unsigned c = rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
            if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
            if (seen.size() > 50) break;
        }
        return seen.size();
    }
};

Tile tileOf(const unsigned char* rgb, int sheetWidth, int x0, int w, int h) {
    Tile t;
    for (int y = 0; y < h; ++y)
        t.rgb.insert(t.rgb.end(), rgb + (y * sheetWidth + x0) * 3, rgb + (y * sheetWidth + x0 + w) * 3);
    return t;
}

TEST(PreviewCommand, DrawsEachTechniqueIntoItsOwnLabelledTile) {
    const std::string dir = writeEffect("two", "stripes.png");
    const FxRun r = fx(dir + "two.fx --render " + dir + "sheet.png --size 96x80");
    ASSERT_EQ(r.status, 0) << r.output;
    int w = 0, h = 0, n = 0;
    unsigned char* rgb = stbi_load((dir + "sheet.png").c_str(), &w, &h, &n, 3);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(w, 2 * 96);
    EXPECT_EQ(h, 80 + tool::kLabelHeight);
    const Tile striped = tileOf(rgb, w, 0, 96, 80), normals = tileOf(rgb, w, 96, 96, 80);
    stbi_image_free(rgb);
    EXPECT_GT(striped.colours(), 8u);
    EXPECT_GT(normals.colours(), 8u);
    EXPECT_NE(striped.rgb, normals.rgb);
    // The file beside the effect, not a built-in texture: pure red and green stripes, lit.
    EXPECT_TRUE(striped.has([](const unsigned char* p) { return p[0] > 120 && p[1] < 20 && p[2] < 20; }));
    EXPECT_TRUE(striped.has([](const unsigned char* p) { return p[1] > 120 && p[0] < 20 && p[2] < 20; }));
    EXPECT_FALSE(normals.has([](const unsigned char* p) { return p[0] > 120 && p[1] < 20 && p[2] < 20; }));
    EXPECT_NE(r.output.find("bound     WorldViewProj (float4x4 : WORLDVIEWPROJECTION): world x view x projection"),
              std::string::npos) << r.output;
    EXPECT_NE(r.output.find("bound     matWorld (float4x4): world\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("bound     lightDir (float3): light direction (-0.469, 0.625, -0.625), towards the light"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("bound     stripes (texture): file stripes.png"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("not bound Shininess (float): keeps the file's value"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("2 of 2 techniques drew"), std::string::npos) << r.output;
}

TEST(PreviewCommand, MissingTextureFallsBackAndBadRequestsLeaveNoSheet) {
    const std::string dir = writeEffect("fallback", "C:\\art\\gone.png");
    FxRun r = fx(dir + "two.fx --render " + dir + "sheet.png --technique Striped --size 64x64");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("stripes (texture): built-in checker (C:\\art\\gone.png is not beside the effect)"),
              std::string::npos) << r.output;
    EXPECT_NE(r.output.find("1 of 1 technique drew"), std::string::npos) << r.output;

    r = fx(dir + "two.fx --render " + dir + "none.png --technique Nope");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("no technique named 'Nope'"), std::string::npos) << r.output;
    std::ofstream(dir + "broken.fx") << "float4 ps( : COLOR { }\n";
    r = fx(dir + "broken.fx --render " + dir + "none.png");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("broken.fx"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir + "none.png"));
    EXPECT_EQ(fx(dir + "two.fx --render x.png --size 4x4").status, 2);
}

// A pixel shader alone is a screen pass: it covers the target, its texture lands texel
// for texel (32 texels over 64 pixels: 2 pixels a texel, stripes 8 pixels wide). A vertex
// shader alone draws the mesh, its colour passed on by the fixed-function texture stage.
// A script's passes draw into the targets it names, sized by their annotations: the
// stripes copied into a half-size target and shown from it come out as they went in.
TEST(PreviewCommand, ScreenPassesCoverTheTargetAndOneShaderPassesDraw) {
    const std::string dir = writeEffect("screen", "stripes.png");
    std::ofstream(dir + "screen.fx") << R"(
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
texture stripes < string ResourceName = "stripes.png"; >;
sampler2D stripeSampler = sampler_state { Texture = <stripes>; MinFilter = Point; MagFilter = Point; };
float4 copy(float2 uv : TEXCOORD0) : COLOR { return tex2D(stripeSampler, uv); }
struct VsOut { float4 pos : POSITION; float4 colour : COLOR0; };
VsOut blue(float4 p : POSITION) { VsOut o; o.pos = mul(p, WorldViewProj); o.colour = float4(0, 0, 1, 1); return o; }
technique Post { pass p0 { VertexShader = null; PixelShader = compile ps_2_0 copy(); } }
technique Blue { pass p0 { VertexShader = compile vs_2_0 blue(); } }
texture Glow : RENDERCOLORTARGET < float2 ViewportRatio = { 0.5, 0.5 }; string Format = "X8R8G8B8"; >;
sampler2D glowSampler = sampler_state { Texture = <Glow>; MinFilter = Point; MagFilter = Point; };
float4 show(float2 uv : TEXCOORD0) : COLOR { return tex2D(glowSampler, uv); }
technique Offscreen < string Script = "Pass=Show; Pass=ToGlow; Pass=Show;"; >
{
    pass ToGlow < string Script = "RenderColorTarget0=Glow; Draw=Buffer;"; > { PixelShader = compile ps_2_0 copy(); }
    pass Show < string Script = "RenderColorTarget0=; Draw=Buffer;"; > { PixelShader = compile ps_2_0 show(); }
}
struct PostOut { float4 pos : POSITION0; float2 uv : TEXCOORD0; };
PostOut through(float4 p : POSITION0, float2 uv : TEXCOORD0) { PostOut o; o.pos = p; o.uv = uv; return o; }
technique Through { pass p0 { VertexShader = compile vs_2_0 through(); PixelShader = compile ps_2_0 copy(); } }
float2 Viewport;
void sprite(inout float4 p : POSITION0, inout float2 uv : TEXCOORD0) { p.xy = p.xy / Viewport * float2(2, -2) - float2(1, -1); }
technique Sprite { pass p0 { VertexShader = compile vs_3_0 sprite(); PixelShader = compile ps_3_0 copy(); } }
)";
    const FxRun r = fx(dir + "screen.fx --render " + dir + "sheet.png --size 64x64");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("over the target (pass 0: a pixel shader without a vertex shader)"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Blue                     1 pass, drew"), std::string::npos) << r.output;
    int w = 0, h = 0, n = 0;
    unsigned char* rgb = stbi_load((dir + "sheet.png").c_str(), &w, &h, &n, 3);
    ASSERT_NE(rgb, nullptr);
    const Tile post = tileOf(rgb, w, 0, 64, 64), blue = tileOf(rgb, w, 64, 64, 64);
    // Past the sheet's one-pixel separator, the third tile.
    const Tile offscreen = tileOf(rgb, w, 129, 63, 64), through = tileOf(rgb, w, 193, 63, 64);
    stbi_image_free(rgb);
    auto red = [](const unsigned char* p) { return p[0] == 255 && p[1] == 0 && p[2] == 0; };
    auto green = [](const unsigned char* p) { return p[0] == 0 && p[1] == 255 && p[2] == 0; };
    for (int y : {0, 31, 63}) {
        for (int x = 0; x < 64; ++x) {
            const unsigned char* p = &post.rgb[static_cast<std::size_t>(y * 64 + x) * 3];
            EXPECT_TRUE((x / 8) % 2 == 0 ? red(p) : green(p)) << x << "," << y;
        }
    }
    // The mesh in the middle of the tile in pure blue, the background around it.
    const unsigned char* middle = &blue.rgb[static_cast<std::size_t>(32 * 64 + 32) * 3];
    EXPECT_EQ(middle[0] + middle[1], 0);
    EXPECT_EQ(middle[2], 255);
    EXPECT_NE(blue.rgb[0], 0);
    EXPECT_NE(r.output.find("render target 32x32 X8R8G8B8"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("its script drew: Show, ToGlow, Show"), std::string::npos) << r.output;
    // A vertex shader that passes positions on gets a quad in clip space: stripes side to side.
    EXPECT_NE(r.output.find("its vertex shader transforms by no matrix"), std::string::npos) << r.output;
    // A sprite shader scaling pixels by the viewport's size gets a quad in pixels.
    EXPECT_NE(r.output.find("Viewport (float2): viewport size (64, 64)"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Sprite                   1 pass, drew 100% of the tile, over the target (pass 0: its "
                            "vertex shader maps pixels by the viewport size)"),
              std::string::npos)
        << r.output;
    for (std::size_t at : {std::size_t{32 * 63}, std::size_t{32 * 63 + 62}})
        EXPECT_TRUE(red(&through.rgb[at * 3]) || green(&through.rgb[at * 3])) << at;
    for (int y : {0, 40}) {
        for (int x = 0; x < 63; ++x) {
            const unsigned char* p = &offscreen.rgb[static_cast<std::size_t>(y * 63 + x) * 3];
            EXPECT_TRUE(((x + 1) / 8) % 2 == 0 ? red(p) : green(p)) << x << "," << y;
        }
    }
}

TEST(PreviewCommand, SpriteShadersGetSpriteBatchsMatrix) {
    const std::string dir = writeEffect("sprite", "stripes.png");
    std::ofstream(dir + "sprite.fx") << R"(
float4x4 MatrixTransform;
texture stripes < string ResourceName = "stripes.png"; >;
sampler2D stripeSampler = sampler_state { Texture = <stripes>; MinFilter = Point; MagFilter = Point; };
void sprite(inout float4 p : POSITION0, inout float2 uv : TEXCOORD0) { p = mul(p, MatrixTransform); }
float4 copy(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(stripeSampler, uv); }
technique Sprite { pass p0 { VertexShader = compile vs_2_0 sprite(); PixelShader = compile ps_2_0 copy(); } }
float GlowIntensity;
float4 glow(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(stripeSampler, uv) * GlowIntensity; }
technique Glow { pass p0 { PixelShader = compile ps_2_0 glow(); } }
float2 HalfSize : VIEWPORT_HALF_DIMENSION;
void text(inout float4 p : POSITION0, inout float2 uv : TEXCOORD0) { p.xy = (p.xy - HalfSize) / HalfSize * float2(1, -1); }
technique Text { pass p0 { VertexShader = compile vs_2_0 text(); PixelShader = compile ps_2_0 copy(); } }
)";
    const FxRun r = fx(dir + "sprite.fx --render " + dir + "sheet.png --size 64x64");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("MatrixTransform (float4x4): sprite pixels to clip space (64x64)"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Sprite                   1 pass, drew 100% of the tile, over the target (pass 0: its "
                            "vertex shader takes sprites in pixels (MatrixTransform))"),
              std::string::npos)
        << r.output;
    // Half the viewport's size, as text shaders ask for it, also maps pixels.
    EXPECT_NE(r.output.find("HalfSize (float2 : VIEWPORT_HALF_DIMENSION): half the viewport size (32, 32)"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("over the target (pass 0: its vertex shader maps pixels by the viewport size)"),
              std::string::npos)
        << r.output;
    // An intensity the file leaves 0 is the host's to set: at 0 the pass draws black.
    EXPECT_NE(r.output.find("GlowIntensity (float): factor the file leaves 0 (1)"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("3 of 3 techniques drew"), std::string::npos) << r.output;
}

TEST(PreviewBinder, ReadsTheUsualMatrixNames) {
    struct Case {
        const char* name;
        bool ok, world, view, projection, inverse, transpose;
    } cases[] = {{"matWorldViewProj", true, 1, 1, 1, 0, 0},        {"WorldInverseTranspose", true, 1, 0, 0, 1, 1},
                 {"ViewIXf", true, 0, 1, 0, 1, 0},                 {"WORLDVIEWPROJECTIONTRANSPOSE", true, 1, 1, 1, 0, 1},
                 {"gWorldITXf", true, 1, 0, 0, 1, 1},              {"ViewProjection", true, 0, 1, 1, 0, 0},
                 {"WvpXf", true, 1, 1, 1, 0, 0},                   {"LightViewProj", false, 0, 0, 0, 0, 0},
                 {"WorldViewPrevious", false, 0, 0, 0, 0, 0},      {"Bones", false, 0, 0, 0, 0, 0},
                 {"worldViewProjMat", true, 1, 1, 1, 0, 0},        {"WMatrix", true, 1, 0, 0, 0, 0},
                 {"matVI", true, 0, 1, 0, 1, 0},                   {"P", false, 0, 0, 0, 0, 0},
                 {"LightMatrix", false, 0, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        tool::MatrixRequest r;
        ASSERT_EQ(tool::parseMatrixName(c.name, r), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(r.world, c.world) << c.name;
        EXPECT_EQ(r.view, c.view) << c.name;
        EXPECT_EQ(r.projection, c.projection) << c.name;
        EXPECT_EQ(r.inverse, c.inverse) << c.name;
        EXPECT_EQ(r.transpose, c.transpose) << c.name;
    }
}

}  // namespace
