// Shared set-up for the music and sync tests: silent output, quiet message boxes, and
// generated music and sync files in the build folder.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "bass/Mp3Fixture.h"
#include "platform/win32/messagebox.h"

namespace audiotest {

// The process id keeps test programs that ctest runs side by side off each other's files.
inline std::string buildPath(const std::string& name) {
    return std::string(GH_BINARY_DIR) + "/test-audio-" + std::to_string(getpid()) + "-" + name;
}

// An MP3 of a sine at amplitude 0.5, written once per name.
inline std::string music(const std::string& name, double hz, double seconds) {
    std::string path = buildPath(name + ".mp3");
    EXPECT_TRUE(testmp3::writeMp3(path, testmp3::sine(hz, seconds, 44100, 2), 2, 44100));
    return path;
}

inline std::string writeBytes(const std::string& name, const void* data, std::size_t size) {
    std::string path = buildPath(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

inline std::vector<unsigned char> readBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return bytes;
}

inline bool exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("GLIMMERHOP_SILENT", "1", 1);
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
    }
};

}  // namespace audiotest
