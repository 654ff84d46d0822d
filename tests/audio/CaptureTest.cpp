#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "audio/AudioTestSupport.h"
#include "audio/SyncData.h"

namespace {

using audiotest::AudioTest;

class Capture : public AudioTest {
protected:
    MusicStream music;
    void openMusic(const std::string& path) {
        music.open(path.c_str());
        ASSERT_NE(music.handle, 0u);
    }
    void TearDown() override { music.release(); }
};

int countOf(const std::string& text, const char* what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A 2 s tone centred on FFT bin 4 (4 * 44100 / 512 Hz): band 4 carries it.
TEST_F(Capture, RecordsTheMusicAndTheNextRunLoadsIt) {
    static const std::string mp3 = audiotest::music("capture-2s", 4.0 * 44100.0 / 512.0, 2.0);
    openMusic(mp3);
    const std::string path = audiotest::buildPath("capture.sync");
    std::remove(path.c_str());

    SyncData sync;
    testing::internal::CaptureStdout();
    sync.loadOrCapture(path.c_str(), music, 8, 0.0f);
    const std::string out = testing::internal::GetCapturedStdout();

    // The missing file was reported once, then recorded and loaded in the same run.
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    ASSERT_EQ(sync.bandCount, 8);
    ASSERT_EQ(sync.sampleCount, 30);  // (2.0 - 0.05) truncated to 1 s, x 30
    EXPECT_FALSE(audiotest::exists(path + ".part"));

    EXPECT_EQ(out.rfind("Sampling - Start", 0), 0u) << out.substr(0, 200);
    EXPECT_GT(countOf(out, "Time = "), 0);
    EXPECT_NE(out.find("Of 1.000000   At Sample = "), std::string::npos);
    int samples = 0, recorded = 0;
    const char* summary = std::strstr(out.c_str(), "NumberOfSamples = ");
    ASSERT_NE(summary, nullptr);
    ASSERT_EQ(std::sscanf(summary, "NumberOfSamples = %d     Recorded = %d\n", &samples, &recorded), 2);
    EXPECT_EQ(samples, 30);
    EXPECT_GE(recorded, 30);
    EXPECT_LE(recorded, 31);

    // Header, then `recorded` records of 8 floats.
    auto bytes = audiotest::readBytes(path);
    ASSERT_EQ(bytes.size(), 8u + 32u * static_cast<unsigned>(recorded));
    std::int32_t header[2];
    std::memcpy(header, bytes.data(), 8);
    EXPECT_EQ(header[0], 30);
    EXPECT_EQ(header[1], 8);

    // The tone (amplitude 0.5, Hann window: 0.25) is in band 4, little elsewhere.
    for (std::uint32_t k = 2; k < 30; ++k) {
        EXPECT_NEAR(*sync.tracks[4].keyAt(k), 0.25f, 0.03f) << k;
        EXPECT_LT(*sync.tracks[0].keyAt(k), 0.02f) << k;
        EXPECT_LT(*sync.tracks[7].keyAt(k), 0.02f) << k;
    }

    // The music is left at 0 with the output paused.
    EXPECT_EQ(music.positionSeconds(), 0.0f);
}

TEST_F(Capture, DurationLongerThanTheMusicStillEnds) {
    static const std::string mp3 = audiotest::music("capture-0.4s", 1000.0, 0.4);
    openMusic(mp3);
    const std::string path = audiotest::buildPath("capture-long.sync");
    SyncData sync;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(sync.capture(path.c_str(), music, 2, 0.6f));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(sync.bandCount, 0);  // a capture leaves the SyncData as it was
    ASSERT_TRUE(sync.load(path.c_str()));
    EXPECT_EQ(sync.sampleCount, 18);  // the duration's count, 0.6 x 30
    EXPECT_EQ(sync.bandCount, 2);
}

TEST_F(Capture, UnwritableFileRecordsNothing) {
    static const std::string mp3 = audiotest::music("capture-0.4s-b", 1000.0, 0.4);
    openMusic(mp3);
    const std::string path = audiotest::buildPath("no-such-dir/x.sync");
    SyncData sync;
    EXPECT_FALSE(sync.capture(path.c_str(), music, 8, 0.0f));
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_EQ(std::string(win32::lastMessageBox().text).rfind(path, 0), 0u);  // the box names the file
    EXPECT_EQ(music.positionSeconds(), 0.0f);  // the music never started
}

// A stream that never opened answers the length query with -1 s: nothing to record, and
// no file whose header (-30, 8) every later load would refuse.
TEST_F(Capture, NoMusicRecordsNothing) {
    const std::string path = audiotest::buildPath("capture-no-music.sync");
    std::remove(path.c_str());
    SyncData sync;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(sync.capture(path.c_str(), music, 8, 0.0f));
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_EQ(win32::lastMessageBox().text, path);
    EXPECT_FALSE(audiotest::exists(path));
    EXPECT_FALSE(audiotest::exists(path + ".part"));
    EXPECT_EQ(out.find("Sampling - Start"), std::string::npos);
}

// An installed data set: the sync file is gone and its folder is read-only. The box says
// why, nothing is recorded, and the sync data stays empty for the show to play on without.
TEST_F(Capture, ReadOnlyFolderSaysSoAndLeavesNoSyncData) {
    static const std::string mp3 = audiotest::music("capture-1.2s-c", 1000.0, 1.2);  // long enough for whole samples
    openMusic(mp3);
    const std::string dir = audiotest::buildPath("read-only-data");
    ::mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/Rari.sync";
    std::remove(path.c_str());
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    // Root writes through permission bits: act as an ordinary user for the capture.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    SyncData sync;
    testing::internal::CaptureStdout();
    sync.loadOrCapture(path.c_str(), music, 8, 0.0f);
    const std::string out = testing::internal::GetCapturedStdout();
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    ::chmod(dir.c_str(), 0755);

    ASSERT_EQ(win32::messageBoxCount(), 2u);  // the missing file, then the failed capture
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("the folder cannot be written"), std::string::npos)
        << win32::lastMessageBox().text;
    EXPECT_EQ(out.find("Sampling - Start"), std::string::npos);
    EXPECT_EQ(sync.bandCount, 0);
    EXPECT_EQ(sync.tracks, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
