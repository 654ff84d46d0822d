#include <cmath>
#include <cstring>

#include "audio/AudioTestSupport.h"
#include "audio/SyncData.h"

namespace {

// A sync of `bands` bands whose values are constant over 10 s (300 keys).
class Beats : public ::testing::Test {
protected:
    SyncData sync;
    void SetUp() override {
        gBeatDetector = BeatDetector{};
        win32::setMessageBoxesInteractive(false);
    }
    void fill(int bands, const float* values) {
        sync.release();
        sync.bandCount = bands;
        sync.sampleCount = 300;
        sync.tracks = new FloatTrack[bands];
        for (int j = 0; j < bands; ++j) {
            ASSERT_TRUE(sync.tracks[j].allocate(300));
            for (std::uint32_t k = 0; k < 300; ++k) *sync.tracks[j].keyAt(k) = values[j];
        }
    }
    void fillAll(int bands, float v) {
        float values[8];
        for (float& x : values) x = v;
        fill(bands, values);
    }
};

TEST_F(Beats, FirstCallLatchesAgainstTheDecayFromZero) {
    fillAll(1, -8.85f);  // above -9 + 0.1
    EXPECT_FLOAT_EQ(sync.pulse(0.9f, 0.1f, 10.0f, 255), -8.85f);
    EXPECT_EQ(gBeatDetector.sharedPeak, -8.85f);
    EXPECT_EQ(gBeatDetector.sharedTime, 10.0f);

    gBeatDetector = BeatDetector{};
    fillAll(1, -8.95f);  // below -9 + 0.1: no latch, the decay is returned
    EXPECT_FLOAT_EQ(sync.pulse(0.9f, 0.1f, 10.0f, 255), -9.0f);
    EXPECT_EQ(gBeatDetector.sharedTime, 0.0f);
}

TEST_F(Beats, DecaysLinearlyFromTheLatch) {
    fillAll(1, 1.5f);
    ASSERT_EQ(sync.pulse(0.9f, 0.1f, 20.0f, 255), 1.5f);
    fillAll(1, 1.1f);  // below 1.05 + 0.1
    float expected = 1.5f - (20.5f - 20.0f) * 0.9f;
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 20.5f, 255), expected);
    EXPECT_NEAR(expected, 1.05f, 1e-6f);
    // Long after, the decay runs negative, unclamped.
    fillAll(1, -5.0f);
    EXPECT_FLOAT_EQ(sync.pulse(0.9f, 0.1f, 25.0f, 255), 1.5f - 5.0f * 0.9f);
}

TEST_F(Beats, ThresholdIsStrict) {
    // Exactly representable: peak 1.0 at t 0, decay 0.5/s, t = 1 -> decayed 0.5; 0.5 + 0.25 = 0.75.
    fillAll(1, 1.0f);
    ASSERT_EQ(sync.pulse(0.5f, 0.25f, 0.0f, 255), 1.0f);
    fillAll(1, 0.75f);
    EXPECT_EQ(sync.pulse(0.5f, 0.25f, 1.0f, 255), 0.5f);
    EXPECT_EQ(gBeatDetector.sharedPeak, 1.0f);
    fillAll(1, std::nextafter(0.75f, 1.0f));
    EXPECT_EQ(sync.pulse(0.5f, 0.25f, 1.0f, 255), std::nextafter(0.75f, 1.0f));
    // The same for a band's own latch.
    gBeatDetector = BeatDetector{};
    fillAll(8, 1.0f);
    ASSERT_EQ(sync.bandPulse(0.5f, 0.25f, 0.0f, 3), 1.0f);
    fillAll(8, 0.75f);
    EXPECT_EQ(sync.bandPulse(0.5f, 0.25f, 1.0f, 3), 0.5f);
}

TEST_F(Beats, SumsAllBandsInOrder) {
    const float values[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    fill(8, values);
    float sum = 0.0f;
    for (float v : values) sum += v;
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 1.0f, 255), sum);
    // A single band (below bandCount) uses that band alone.
    gBeatDetector = BeatDetector{};
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 1.0f, 2), 0.3f);
}

TEST_F(Beats, SharedLatchAcrossCallers) {
    fillAll(2, 1.0f);
    // Two calls in one frame with the same arguments see the same latch.
    float first = sync.pulse(0.9f, 0.1f, 5.0f, 255);
    float second = sync.pulse(0.9f, 0.1f, 5.0f, 255);
    EXPECT_EQ(first, 2.0f);
    EXPECT_EQ(second, 2.0f);  // not latched again: 2.0 is not above 2.0 + 0.1; the decay is 2.0
    // A caller with other rates sees and updates the same latch.
    EXPECT_FLOAT_EQ(sync.pulse(0.4f, 0.5f, 6.0f, 255), 2.0f - 0.4f);
    fillAll(2, 1.5f);
    EXPECT_EQ(sync.pulse(0.23f, 0.06f, 7.0f, 255), 3.0f);
    EXPECT_EQ(gBeatDetector.sharedTime, 7.0f);
    // Band pulses keep their own latches, apart from the shared one and from each other.
    EXPECT_EQ(sync.bandPulse(0.9f, 0.2f, 7.0f, 0), 1.5f);
    EXPECT_EQ(gBeatDetector.bandTimes[0], 7.0f);
    EXPECT_EQ(gBeatDetector.bandTimes[1], 0.0f);
    EXPECT_EQ(gBeatDetector.sharedPeak, 3.0f);
}

TEST_F(Beats, SeekingBackRaisesTheBar) {
    fillAll(1, 1.0f);
    ASSERT_EQ(sync.pulse(0.9f, 0.1f, 20.0f, 255), 1.0f);
    // Back to t = 19: decayed = 1.0 + 0.9 = 1.9; a beat must beat 2.0.
    fillAll(1, 1.95f);
    EXPECT_FLOAT_EQ(sync.pulse(0.9f, 0.1f, 19.0f, 255), 1.9f);
    fillAll(1, 2.05f);
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 19.0f, 255), 2.05f);
}

TEST_F(Beats, MissingBandsReadAsZero) {
    // No bands: the sum is 0, a single band is 0, and both still latch against the decay.
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 1.0f, 255), 0.0f);  // 0 > -0.9 + 0.1
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 2.0f, 4), 0.0f);
    EXPECT_EQ(sync.bandPulse(0.9f, 0.2f, 3.0f, 7), 0.0f);
    EXPECT_EQ(gBeatDetector.bandTimes[7], 3.0f);
    // Band beyond bandCount.
    fillAll(2, 1.0f);
    EXPECT_EQ(sync.pulse(0.9f, 0.1f, 2.0f, 5), 0.0f);  // the latch of the call before, undecayed
    // bandPulse beyond its 8 latches: 0, nothing touched.
    BeatDetector before = gBeatDetector;
    EXPECT_EQ(sync.bandPulse(0.9f, 0.2f, 9.0f, 8), 0.0f);
    EXPECT_EQ(sync.bandPulse(0.9f, 0.2f, 9.0f, 255), 0.0f);
    EXPECT_EQ(std::memcmp(&before, &gBeatDetector, sizeof before), 0);
}

}  // namespace
