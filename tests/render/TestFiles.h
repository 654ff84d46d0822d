// Scratch files for tests: a fresh folder per test under the build folder, and small
// PNG pictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace testing_support {

// "test-files/<suite>.<test>/", emptied, relative to the working directory.
inline std::string scratchFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("test-files/") + info->test_suite_name() + "." + info->name();
    for (char& c : name)
        if (c == '/' && &c != &name[10]) c = '_';
    std::filesystem::remove_all(name);
    std::filesystem::create_directories(name);
    return name + "/";
}

// A width x height picture of one colour (RGBA).
inline bool writePng(const std::string& path, int width, int height, std::uint32_t rgba) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = (rgba >> 24) & 0xFF;
        pixels[i + 1] = (rgba >> 16) & 0xFF;
        pixels[i + 2] = (rgba >> 8) & 0xFF;
        pixels[i + 3] = rgba & 0xFF;
    }
    return stbi_write_png(path.c_str(), width, height, 4, pixels.data(), width * 4) != 0;
}

}  // namespace testing_support
