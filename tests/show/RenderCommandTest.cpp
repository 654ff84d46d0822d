// glimmerhop-tool render: a still through headless OpenGL comes out whole and upright.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ShowData.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace showtest {
namespace {

std::string toolPath() { return std::string(GH_BINARY_DIR) + "/glimmerhop-tool"; }

TEST(RenderCommand, StillShowsTheFramePictureOnTop) {
    if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "glimmerhop-tool not built";
    TempDir dir;
    writeShowData(dir.path(), [](unsigned, unsigned) { return 0.0f; });
    // The frame picture is drawn last at full strength over every scene; the test
    // effects draw it opaque. Its top half and bottom half differ, so that a picture
    // upside down shows.
    std::vector<unsigned char> frames(16 * 16 * 4);
    for (unsigned i = 0; i < 16 * 16; ++i) {
        const bool top = i < 16 * 8;
        frames[4 * i + 0] = top ? 0x33 : 0xCC;
        frames[4 * i + 1] = 0x66;
        frames[4 * i + 2] = top ? 0x99 : 0x11;
        frames[4 * i + 3] = 0xFF;
    }
    writePngPixels(dir.path() + "/Tindermoot/frames.png", 16, 16, frames.data());

    const std::string out = dir.path() + "/still.png";
    const std::string command = toolPath() + " render --data " + dir.path() +
                                " --at 45 --history-fps 2 --size 160x120 --out " + out + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(out.c_str(), &w, &h, &n, 4);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    auto at = [&](int x, int y) { return pixels + 4 * (y * w + x); };
    // Away from the middle row, where the two halves blend.
    for (int x : {10, 80, 150}) {
        EXPECT_NEAR(at(x, 20)[0], 0x33, 2) << x;
        EXPECT_NEAR(at(x, 20)[2], 0x99, 2) << x;
        EXPECT_NEAR(at(x, 100)[0], 0xCC, 2) << x;
        EXPECT_NEAR(at(x, 100)[2], 0x11, 2) << x;
        EXPECT_EQ(at(x, 60)[3], 0xFF);
    }
    stbi_image_free(pixels);
}

}  // namespace
}  // namespace showtest
