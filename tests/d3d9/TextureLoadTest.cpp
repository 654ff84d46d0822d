// D3DXCreateTextureFromFileA on both backends: orientation, mip chain, trace name, and
// the error codes for missing, broken and absurd files.
#include <gtest/gtest.h>

#include <epoxy/gl.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"
#include "platform/d3dx9/d3dx9.h"

using d3d9test::DeviceFixture;

namespace {

// Files live under the build folder (the tests' working directory) and are named the
// program's way, with backslashes.
class TextureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_);
        // 4 x 2: top row red, bottom row blue.
        const std::uint8_t pixels[] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255,
                                       0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255};
        ASSERT_TRUE(stbi_write_png((dir_ + "/rows.png").c_str(), 4, 2, 4, pixels, 16));
        std::ofstream(dir_ + "/text.png") << "this is not a picture\n";
        std::ofstream(dir_ + "/empty.png").flush();
        std::ifstream in(dir_ + "/rows.png", std::ios::binary);
        std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(dir_ + "/cut.png", std::ios::binary) << whole.substr(0, 40);
        std::vector<std::uint8_t> wide(16385 * 4, 128);
        ASSERT_TRUE(stbi_write_png((dir_ + "/wide.png").c_str(), 16385, 1, 4, wide.data(), 16385 * 4));
    }
    static std::string path(const char* name) { return std::string("d3d9-textures\\") + name; }

    const std::string dir_ = "d3d9-textures";
};

}  // namespace

TEST_F(TextureFiles, GlTextureHoldsTheImageTopRowFirstWithAFullMipChain) {
    DeviceFixture f;
    if (!f.createHeadless(16, 16)) GTEST_SKIP() << "no headless OpenGL here";
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(f.device, path("rows.png").c_str(), &texture));
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(3u, texture->GetLevelCount());  // 4x2, 2x1, 1x1
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(D3D_OK, texture->GetLevelDesc(1, &desc));
    EXPECT_EQ(2u, desc.Width);
    EXPECT_EQ(1u, desc.Height);
    EXPECT_EQ(path("rows.png"), d3d9::internal::textureName(texture));

    d3d9::internal::makeCurrent(f.device);
    std::uint8_t level0[32] = {};
    glGetTextureImage(d3d9::internal::glTexture(texture), 0, GL_RGBA, GL_UNSIGNED_BYTE, sizeof level0, level0);
    // The first row GL holds (t = 0, where D3D's v = 0 samples) is the image's top row.
    EXPECT_EQ(255, level0[0]);
    EXPECT_EQ(0, level0[2]);
    EXPECT_EQ(0, level0[16]);
    EXPECT_EQ(255, level0[18]);
    std::uint8_t level2[4] = {};
    glGetTextureImage(d3d9::internal::glTexture(texture), 2, GL_RGBA, GL_UNSIGNED_BYTE, sizeof level2, level2);
    EXPECT_NEAR(128, level2[0], 2);  // the mip chain was generated: red and blue averaged
    EXPECT_NEAR(128, level2[2], 2);
    EXPECT_EQ(0u, texture->Release());
}

TEST_F(TextureFiles, GlBackendReportsEachKindOfFailure) {
    DeviceFixture f;
    if (!f.createHeadless(16, 16)) GTEST_SKIP() << "no headless OpenGL here";
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(&f);
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("missing.png").c_str(), &texture));
    EXPECT_EQ(nullptr, texture);
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("text.png").c_str(), &texture));
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("empty.png").c_str(), &texture));
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("cut.png").c_str(), &texture));
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("wide.png").c_str(), &texture));
    EXPECT_EQ(nullptr, texture);
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileA(nullptr, path("rows.png").c_str(), &texture));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileA(f.device, nullptr, &texture));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileA(f.device, path("rows.png").c_str(), nullptr));
}

TEST_F(TextureFiles, TraceBackendChecksTheFileAndNamesTheTextureByItsPath) {
    d3d9test::LineSink sink;
    DeviceFixture f;
    ASSERT_TRUE(f.createTrace(&sink));
    sink.lines.clear();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileA(f.device, path("rows.png").c_str(), &texture));
    EXPECT_EQ(path("rows.png"), d3d9::internal::textureName(texture));
    EXPECT_EQ(0u, d3d9::internal::glTexture(texture));
    IDirect3DTexture9* failed = nullptr;
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("missing.png").c_str(), &failed));
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("text.png").c_str(), &failed));
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateTextureFromFileA(f.device, path("wide.png").c_str(), &failed));
    EXPECT_EQ(nullptr, failed);
    const std::vector<std::string> expected = {
        "D3DXCreateTextureFromFileA d3d9-textures\\rows.png",
        "D3DXCreateTextureFromFileA d3d9-textures\\missing.png failed 0x88760b59",
        "D3DXCreateTextureFromFileA d3d9-textures\\text.png failed 0x88760b59",
        "D3DXCreateTextureFromFileA d3d9-textures\\wide.png failed 0x88760b59",
    };
    EXPECT_EQ(expected, sink.lines);
    EXPECT_STREQ("null", d3d9::internal::textureName(nullptr));
    texture->Release();
}
