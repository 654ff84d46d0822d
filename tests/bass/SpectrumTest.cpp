#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "bass/BassTestSupport.h"
#include "bass/Mp3Fixture.h"
#include "platform/bass/spectrum.h"

namespace {

using basstest::kRate;

// Stereo frames of a full-scale sine centred on FFT bin `bin`; right = sign * left.
std::vector<std::int16_t> binSine(int bin, std::size_t frames, double amplitude = 32767.0 / 32768.0, int sign = 1) {
    std::vector<std::int16_t> pcm(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2.0 * M_PI * bin * static_cast<double>(i) / 512.0);
        auto s = static_cast<std::int16_t>(std::lround(v * 32768.0));
        pcm[2 * i] = s;
        pcm[2 * i + 1] = static_cast<std::int16_t>(sign * s);
    }
    return pcm;
}

TEST(Spectrum, FullScaleSineReadsOneWithoutWindowAndHalfWithHann) {
    auto pcm = binSine(8, 2048);
    float raw[256], hann[256];
    bass::spectrum512(pcm.data(), 2048, 1024, raw, false);
    bass::spectrum512(pcm.data(), 2048, 1024, hann, true);
    EXPECT_NEAR(raw[8], 1.0f, 1e-3f);
    EXPECT_NEAR(hann[8], 0.5f, 1e-3f);
    // Hann spreads half of the other half into each neighbour; nothing further out.
    EXPECT_NEAR(hann[7], 0.25f, 1e-3f);
    EXPECT_NEAR(hann[9], 0.25f, 1e-3f);
    for (int k = 0; k < 256; ++k) {
        if (k != 8) {
            EXPECT_LT(raw[k], 1e-3f) << "bin " << k;
        }
        if (k < 7 || k > 9) {
            EXPECT_LT(hann[k], 1e-3f) << "bin " << k;
        }
    }
}

TEST(Spectrum, ScalesWithAmplitudeAndBin) {
    auto pcm = binSine(40, 1024, 0.25);
    float out[256];
    bass::spectrum512(pcm.data(), 1024, 512, out, false);
    EXPECT_NEAR(out[40], 0.25f, 1e-3f);
    auto dc = std::vector<std::int16_t>(1024, 8192);  // a constant 0.25
    bass::spectrum512(dc.data(), 512, 512, out, false);
    EXPECT_NEAR(out[0], 0.5f, 1e-3f);  // DC is not split between two bins: 2 x 0.25
    EXPECT_LT(out[1], 1e-4f);
}

TEST(Spectrum, MixesBothChannelsToMono) {
    auto opposite = binSine(8, 1024, 0.5, -1);
    float out[256];
    bass::spectrum512(opposite.data(), 1024, 1024, out);
    for (float v : out) EXPECT_LT(v, 1e-4f);
}

TEST(Spectrum, ReadsTheFramesBeforeThePosition) {
    // Silence, then a tone from frame 1024 on.
    std::vector<std::int16_t> pcm(4096 * 2, 0);
    auto tone = binSine(8, 2048);
    std::copy(tone.begin(), tone.end(), pcm.begin() + 2048);
    float out[256];
    bass::spectrum512(pcm.data(), 4096, 1024, out, false);
    EXPECT_LT(out[8], 1e-4f);  // frames 512..1023: silence
    bass::spectrum512(pcm.data(), 4096, 1536, out, false);
    EXPECT_NEAR(out[8], 1.0f, 1e-3f);  // frames 1024..1535: the tone
    bass::spectrum512(pcm.data(), 4096, 1280, out, false);
    EXPECT_NEAR(out[8], 0.5f, 0.02f);  // half of the window holds the tone
}

TEST(Spectrum, OutsideTheMusicIsSilence) {
    auto pcm = binSine(8, 1024);
    float out[256];
    bass::spectrum512(pcm.data(), 1024, 0, out);
    for (float v : out) EXPECT_EQ(v, 0.0f);
    bass::spectrum512(pcm.data(), 1024, 5000, out);
    for (float v : out) EXPECT_EQ(v, 0.0f);
    bass::spectrum512(nullptr, 0, 600, out);
    for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST(Mp3Decode, MonoIsDuplicatedToStereoAtTheFileRate) {
    std::string path = basstest::scratchPath("decode-mono");
    ASSERT_TRUE(testmp3::writeMp3(path, testmp3::sine(440.0, 1.0, 22050, 1), 1, 22050));
    std::vector<std::int16_t> stereo;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3(path.c_str(), stereo, rate));
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(stereo.size(), 2u * 22050u);
    for (std::size_t i = 0; i < stereo.size(); i += 2) ASSERT_EQ(stereo[i], stereo[i + 1]);
    // The tone survives: 440 Hz at amplitude 0.5 sits near bin 440 * 512 / 22050 = 10.2.
    float out[256];
    bass::spectrum512(stereo.data(), stereo.size() / 2, 11025, out);
    int peak = 0;
    for (int k = 1; k < 256; ++k)
        if (out[k] > out[peak]) peak = k;
    EXPECT_EQ(peak, 10);
}

TEST(Mp3Decode, BackslashPathsAndFailures) {
    std::string path = basstest::scratchPath("decode-stereo");
    ASSERT_TRUE(testmp3::writeMp3(path, testmp3::sine(1000.0, 0.5, kRate, 2), 2, kRate));
    std::string windowsPath = path;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    std::vector<std::int16_t> stereo;
    int rate = 0;
    EXPECT_TRUE(bass::decodeMp3(windowsPath.c_str(), stereo, rate));
    EXPECT_EQ(stereo.size(), 2u * 22050u);

    EXPECT_FALSE(bass::decodeMp3("no-such-file.mp3", stereo, rate));
    EXPECT_TRUE(stereo.empty());
    std::string junk = basstest::scratchPath("junk");
    std::FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 4000; ++i) std::fputc((i * 7919) & 0x7F, f);  // never a frame sync
    std::fclose(f);
    EXPECT_FALSE(bass::decodeMp3(junk.c_str(), stereo, rate));
}

}  // namespace
