// The offline sync file of glimmerhop-tool against the spectrum a capture reads.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/AudioTestSupport.h"
#include "audio/SyncData.h"
#include "platform/bass/spectrum.h"

namespace {

std::string tool() { return std::string(GH_BINARY_DIR) + "/glimmerhop-tool"; }

TEST(SyncTool, WritesWhatACaptureWouldRecord) {
    if (!audiotest::exists(tool())) GTEST_SKIP() << "glimmerhop-tool is not built";
    // A rising tone, so that every record differs.
    std::vector<std::int16_t> pcm(2 * 110250);
    for (std::size_t i = 0; i < pcm.size() / 2; ++i) {
        double t = static_cast<double>(i) / 44100.0;
        auto v = static_cast<std::int16_t>(12000.0 * std::sin(2.0 * M_PI * (100.0 + 120.0 * t) * t));
        pcm[2 * i] = pcm[2 * i + 1] = v;
    }
    const std::string mp3 = audiotest::buildPath("tool.mp3"), out = audiotest::buildPath("tool.sync");
    ASSERT_TRUE(testmp3::writeMp3(mp3, pcm, 2, 44100));
    std::remove(out.c_str());
    ASSERT_EQ(std::system((tool() + " sync " + mp3 + " " + out + " > /dev/null").c_str()), 0);
    EXPECT_FALSE(audiotest::exists(out + ".part"));

    auto bytes = audiotest::readBytes(out);
    ASSERT_EQ(bytes.size(), 8u + 60u * 8u * 4u);  // 2.5 s: (2.5 - 0.05) -> 2 s -> 60 samples
    std::int32_t header[2];
    std::memcpy(header, bytes.data(), 8);
    EXPECT_EQ(header[0], 60);
    EXPECT_EQ(header[1], 8);

    std::vector<std::int16_t> decoded;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3(mp3.c_str(), decoded, rate));
    for (int k : {0, 1, 17, 59}) {
        float expected[256];
        bass::spectrum512(decoded.data(), decoded.size() / 2, static_cast<std::size_t>(std::llround(k * 44100.0 / 30.0)),
                          expected);
        float record[8];
        std::memcpy(record, bytes.data() + 8 + 32 * k, sizeof record);
        for (int j = 0; j < 8; ++j) EXPECT_EQ(record[j], expected[j]) << "sample " << k << " band " << j;
    }

    // And the plot of it is a PNG.
    const std::string png = audiotest::buildPath("tool.png");
    std::remove(png.c_str());
    ASSERT_EQ(std::system((tool() + " plot " + out + " " + png + " --width 800 > /dev/null").c_str()), 0);
    auto image = audiotest::readBytes(png);
    ASSERT_GT(image.size(), 8u);
    EXPECT_EQ(std::memcmp(image.data(), "\x89PNG", 4), 0);
}

TEST(SyncTool, RefusesBadInput) {
    if (!audiotest::exists(tool())) GTEST_SKIP() << "glimmerhop-tool is not built";
    const std::string out = audiotest::buildPath("tool-bad.sync");
    EXPECT_NE(std::system((tool() + " sync /no/such.mp3 " + out + " 2> /dev/null").c_str()), 0);
    EXPECT_FALSE(audiotest::exists(out));
    EXPECT_NE(std::system((tool() + " sync only-one-argument 2> /dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool() + " plot /no/such.sync x.png > /dev/null 2>&1").c_str()), 0);
}

}  // namespace
