#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/win32/files.h"

namespace {

TEST(Files, NativePathTurnsBackslashesIntoSlashes) {
    EXPECT_EQ(win32::nativePath("Tindermoot\\Floor\\x.scene"), "Tindermoot/Floor/x.scene");
    EXPECT_EQ(win32::nativePath("a/b\\c"), "a/b/c");
    EXPECT_EQ(win32::nativePath(""), "");
    EXPECT_EQ(win32::nativePath(nullptr), "");
}

TEST(Files, OpenFileAcceptsBackslashPaths) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("gh_files_" + std::to_string(getpid()));
    fs::create_directories(dir / "Sub");
    {
        std::FILE* w = std::fopen((dir / "Sub" / "data.bin").c_str(), "wb");
        ASSERT_NE(w, nullptr);
        std::fputs("xyz", w);
        std::fclose(w);
    }
    const std::string windowsPath = dir.string() + "\\Sub\\data.bin";
    std::FILE* f = win32::openFile(windowsPath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buf[4] = {};
    EXPECT_EQ(std::fread(buf, 1, 3, f), 3u);
    EXPECT_STREQ(buf, "xyz");
    std::fclose(f);

    EXPECT_EQ(win32::openFile((dir.string() + "\\Sub\\missing.bin").c_str(), "rb"), nullptr);
    EXPECT_EQ(win32::openFile(nullptr, "rb"), nullptr);
    fs::remove_all(dir);
}

}  // namespace
