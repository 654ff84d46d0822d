// Shared set-up for the audio stand-in tests: silent output, a library initialised per
// test, and generated MP3 files in the build folder.
#pragma once

#include <cstdlib>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "bass/Mp3Fixture.h"
#include "platform/bass/bass.h"
#include "platform/bass/clock.h"

namespace basstest {

constexpr int kRate = 44100;

// A file in the build folder of this test process only: ctest runs test programs side by
// side, and a shared name lets one read what another is still writing.
inline std::string scratchPath(const std::string& name) {
    return std::string(GH_BINARY_DIR) + "/test-" + name + "-" + std::to_string(getpid()) + ".mp3";
}

// Writes a generated MP3 into the build folder and returns its path.
inline std::string makeMp3(const std::string& name, double hz, double seconds, int channels,
                           int rate = kRate, double amplitude = 0.5) {
    std::string path = scratchPath(name);
    auto pcm = testmp3::sine(hz, seconds, rate, channels, amplitude);
    EXPECT_TRUE(testmp3::writeMp3(path, pcm, channels, rate));
    return path;
}

class BassTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("GLIMMERHOP_SILENT", "1", 1);
        bass::useDrivenClock(false);
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override {
        BASS_Free();
        bass::useDrivenClock(false);
    }
    static double seconds(HSTREAM h) { return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)); }
};

}  // namespace basstest
