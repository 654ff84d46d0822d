#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "bass/BassTestSupport.h"
#include "platform/bass/spectrum.h"

namespace {

using basstest::BassTest;
using basstest::kRate;
using Clock = std::chrono::steady_clock;
constexpr QWORD kError = std::numeric_limits<QWORD>::max();

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Stream : public BassTest {
protected:
    HSTREAM h = 0;
    std::string path;
    void SetUp() override {
        BassTest::SetUp();
        path = basstest::makeMp3("stream-2s", 1000.0, 2.0, 2);
        h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        ASSERT_NE(h, 0u);
    }
};

TEST(BassInit, DevicesAndRepeatedInit) {
    setenv("GLIMMERHOP_SILENT", "1", 1);
    EXPECT_FALSE(BASS_Init(2, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(-2, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "anything.mp3", 0, 0, 0), 0u);  // not initialised
    EXPECT_FALSE(BASS_Pause());
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));  // already initialised
    EXPECT_TRUE(BASS_Free());
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));  // "no sound" still plays silently
    EXPECT_TRUE(BASS_Free());
}

TEST_F(BassTest, MissingFileAndBadHandles) {
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "no\\such\\file.mp3", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    for (DWORD bad : {0u, 12345u}) {
        EXPECT_EQ(BASS_StreamGetLength(bad), kError);
        EXPECT_EQ(BASS_ChannelGetPosition(bad), 0u);
        EXPECT_EQ(BASS_ChannelBytes2Seconds(bad, 4 * 44100), -1.0f);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(bad, 1.0f), kError);
        EXPECT_FALSE(BASS_ChannelSetPosition(bad, 0));
        EXPECT_FALSE(BASS_ChannelSetAttributes(bad, 0, 100, -101));
        EXPECT_FALSE(BASS_StreamPlay(bad, FALSE, 0));
        EXPECT_FALSE(BASS_StreamFree(bad));
        float fft[512] = {};
        EXPECT_EQ(BASS_ChannelGetData(bad, fft, BASS_DATA_FFT512), 0xFFFFFFFFu);
    }
    // What the show's clock reads without music: a length and a position of -1 s.
    EXPECT_EQ(BASS_ChannelBytes2Seconds(0, BASS_StreamGetLength(0)), -1.0f);
    EXPECT_EQ(BASS_ChannelBytes2Seconds(0, BASS_ChannelGetPosition(0)), -1.0f);
}

TEST_F(Stream, ConversionsUseFourBytesPerFrame) {
    EXPECT_EQ(BASS_StreamGetLength(h), 4u * 2u * kRate);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, BASS_StreamGetLength(h)), 2.0f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 1.0f), 4u * kRate);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 0.1f), 4u * 4410u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 0.01f), 4u * 441u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, 4 * 441), 0.01f);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, 4 * 441 + 3), 0.01f);  // a partial frame counts for nothing
    EXPECT_EQ(BASS_ChannelBytes2Seconds(h, kError), -1.0f);
    // Every frame of two minutes survives the round trip through float seconds.
    for (QWORD frame = 0; frame < 120u * kRate; frame += 997)
        ASSERT_EQ(BASS_ChannelSeconds2Bytes(h, BASS_ChannelBytes2Seconds(h, 4 * frame)), 4 * frame) << frame;
    // A negative time comes out as a huge unsigned count.
    EXPECT_GT(BASS_ChannelSeconds2Bytes(h, -0.05f), QWORD{1} << 63);
}

TEST_F(Stream, SeeksInAndOutOfRange) {
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    EXPECT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.5f)));
    EXPECT_FLOAT_EQ(seconds(h), 0.5f);
    EXPECT_TRUE(BASS_ChannelSetPosition(h, 4 * 1000 + 2));  // aligned down to a whole frame
    EXPECT_EQ(BASS_ChannelGetPosition(h), 4u * 1000u);
    // Past the length: lands on the length.
    EXPECT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 2.5f)));
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_StreamGetLength(h));
    // Before the start (a negative time converted to bytes): refused, position kept.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 1.0f)));
    EXPECT_FALSE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, -0.1f)));
    EXPECT_FLOAT_EQ(seconds(h), 1.0f);
    EXPECT_FALSE(BASS_ChannelSetPosition(h, kError));
    EXPECT_FLOAT_EQ(seconds(h), 1.0f);
}

TEST_F(Stream, PlaysInRealTimePausesAndResumes) {
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    sleepMs(100);
    ASSERT_TRUE(BASS_Pause());
    double paused = seconds(h);
    EXPECT_NEAR(paused, 0.1, 0.03);
    sleepMs(80);
    EXPECT_EQ(seconds(h), paused);  // stays put while the output is paused
    // A seek while paused takes effect at once and stays paused.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.75f)));
    sleepMs(30);
    EXPECT_FLOAT_EQ(seconds(h), 0.75f);
    ASSERT_TRUE(BASS_Start());
    sleepMs(100);
    EXPECT_NEAR(seconds(h), 0.85, 0.03);
}

TEST_F(Stream, PositionTracksTheWallClockSmoothly) {
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    const Clock::time_point start = Clock::now();
    auto since = [&](Clock::time_point t) { return std::chrono::duration<double>(t - start).count(); };
    double lastPos = seconds(h), lastWall = 0.0;
    int reads = 0;
    while (lastWall < 0.4) {
        std::this_thread::sleep_for(std::chrono::microseconds(700));
        // The wall time of a read is bracketed; a read the scheduler interrupted says nothing.
        Clock::time_point before = Clock::now();
        double pos = seconds(h);
        Clock::time_point after = Clock::now();
        if (after - before > std::chrono::microseconds(300)) continue;
        double wall = 0.5 * (since(before) + since(after));
        ++reads;
        ASSERT_NEAR(pos - lastPos, wall - lastWall, 0.002) << "read " << reads;
        ASSERT_GE(pos, lastPos);
        lastPos = pos;
        lastWall = wall;
    }
    EXPECT_NEAR(lastPos, lastWall, 0.003);
    EXPECT_GT(reads, 100);
}

TEST_F(Stream, StopsAtTheEnd) {
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 1.9f)));
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    sleepMs(160);
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_StreamGetLength(h));
    sleepMs(50);
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_StreamGetLength(h));
    // Played again after its end, it starts over.
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    EXPECT_LT(seconds(h), 0.05);
}

TEST_F(Stream, MutedPlaybackKeepsPositionAndSpectrum) {
    ASSERT_TRUE(BASS_ChannelSetAttributes(h, 0, 0, -101));
    EXPECT_FALSE(BASS_ChannelSetAttributes(h, 0, 101, -101));
    EXPECT_FALSE(BASS_ChannelSetAttributes(h, 22050, 50, -101));
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    sleepMs(120);
    EXPECT_NEAR(seconds(h), 0.12, 0.03);
    float fft[512] = {};
    EXPECT_EQ(BASS_ChannelGetData(h, fft, BASS_DATA_FFT512), 2048u);
    // 1000 Hz at amplitude 0.5 lies between bins 11 and 12 (1000 * 512 / 44100 = 11.6).
    int peak = 0;
    for (int k = 1; k < 256; ++k)
        if (fft[k] > fft[peak]) peak = k;
    EXPECT_TRUE(peak == 11 || peak == 12) << peak;
    EXPECT_GT(fft[peak], 0.15f);
    EXPECT_LT(fft[peak], 0.3f);
    EXPECT_EQ(BASS_ChannelGetData(h, fft, 1024), 0xFFFFFFFFu);  // only the FFT is offered
}

TEST_F(Stream, PlayResumesPausedOutputAndFlushRestarts) {
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.5f)));
    ASSERT_TRUE(BASS_Pause());
    ASSERT_TRUE(BASS_StreamPlay(h, FALSE, 0));
    sleepMs(60);
    EXPECT_NEAR(seconds(h), 0.56, 0.03);
    ASSERT_TRUE(BASS_StreamPlay(h, TRUE, 0));
    EXPECT_LT(seconds(h), 0.02);
}

TEST_F(Stream, DrivenClockSetsPositionAndSpectrum) {
    bass::useDrivenClock(true);
    bass::setDrivenPosition(1.25);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 4u * 55125u);
    sleepMs(20);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 4u * 55125u);
    bass::setDrivenPosition(-3.0);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    bass::setDrivenPosition(9.0);
    EXPECT_EQ(BASS_ChannelGetPosition(h), BASS_StreamGetLength(h));
    // Seeks move the driven clock.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.5f)));
    EXPECT_DOUBLE_EQ(bass::drivenPosition(), 0.5);

    // The spectrum is the pure function's at that position.
    std::vector<std::int16_t> pcm;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3(path.c_str(), pcm, rate));
    bass::setDrivenPosition(0.7);
    float viaLibrary[512] = {}, direct[256];
    BASS_ChannelGetData(h, viaLibrary, BASS_DATA_FFT512);
    bass::spectrum512(pcm.data(), pcm.size() / 2, 30870, direct);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(viaLibrary[k], direct[k]) << k;
}

TEST_F(Stream, FreeingEndsTheStream) {
    EXPECT_TRUE(BASS_StreamFree(h));
    EXPECT_FALSE(BASS_StreamFree(h));
    EXPECT_EQ(BASS_StreamGetLength(h), kError);
}

// The decode runs on after creation: what the stream holds once asked is the whole
// file, and freeing (or closing the library) while it runs waits for it.
TEST_F(Stream, BackgroundDecodeGivesTheWholeFileAndCanBeAbandoned) {
    std::vector<std::int16_t> pcm;
    int rate = 0;
    ASSERT_TRUE(bass::decodeMp3(path.c_str(), pcm, rate));
    const HSTREAM second = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(BASS_StreamGetLength(second), 2u * pcm.size());
    for (int i = 0; i < 10; ++i) {
        const HSTREAM s = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        ASSERT_NE(s, 0u);
        EXPECT_TRUE(BASS_StreamFree(s));
    }
    BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);  // left to BASS_Free in TearDown
}

}  // namespace
