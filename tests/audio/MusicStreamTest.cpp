#include <chrono>
#include <thread>

#include "audio/AudioTestSupport.h"
#include "audio/MusicStream.h"
#include "platform/win32/keys.h"

namespace {

using audiotest::AudioTest;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void tap(int key) {
    win32::noteKeyDown(key);
    win32::noteKeyUp(key);
}

class MusicStreamTest : public AudioTest {
protected:
    MusicStream music;
    void SetUp() override {
        AudioTest::SetUp();
        static const std::string path = audiotest::music("music-3s", 440.0, 3.0);
        // The program's own path style.
        std::string windowsPath = path;
        for (char& c : windowsPath)
            if (c == '/') c = '\\';
        music.open(windowsPath.c_str());
        ASSERT_NE(music.handle, 0u);
        ASSERT_EQ(win32::messageBoxCount(), 0u);
        for (int key : {'I', 'O', 'J', 'K', 'N', 'M'}) GetAsyncKeyState(key);  // forget earlier presses
    }
    void TearDown() override { music.release(); }
};

TEST_F(MusicStreamTest, OpensPlaysAndSeeks) {
    EXPECT_FLOAT_EQ(music.lengthSeconds(), 3.0f);
    EXPECT_EQ(music.positionSeconds(), 0.0f);
    music.seekSeconds(1.5f);
    EXPECT_FLOAT_EQ(music.positionSeconds(), 1.5f);
    music.play(100);
    sleepMs(100);
    EXPECT_NEAR(music.positionSeconds(), 1.6f, 0.03f);
    music.pauseOutput();
    float paused = music.positionSeconds();
    sleepMs(50);
    EXPECT_EQ(music.positionSeconds(), paused);
    music.resumeOutput();
    sleepMs(50);
    EXPECT_NEAR(music.positionSeconds(), paused + 0.05f, 0.03f);
}

TEST_F(MusicStreamTest, PlaybackKeysActInOrder) {
    music.seekSeconds(1.0f);
    tap('K');
    music.pollPlaybackKeys();
    EXPECT_NEAR(music.positionSeconds(), 1.1f, 1e-4f);
    tap('N');
    music.pollPlaybackKeys();
    EXPECT_NEAR(music.positionSeconds(), 1.09f, 1e-4f);
    // All six in one frame: pause, resume, then the four seeks add up to nothing.
    music.play(100);
    for (int key : {'I', 'O', 'J', 'K', 'N', 'M'}) tap(key);
    float before = music.positionSeconds();
    music.pollPlaybackKeys();
    EXPECT_NEAR(music.positionSeconds(), before, 0.01f);
    sleepMs(40);
    EXPECT_GT(music.positionSeconds(), before + 0.02f);  // O came after I: still playing
    // I alone pauses, and a seek while paused moves the paused position.
    tap('I');
    music.pollPlaybackKeys();
    float paused = music.positionSeconds();
    tap('M');
    music.pollPlaybackKeys();
    sleepMs(30);
    EXPECT_NEAR(music.positionSeconds(), paused + 0.01f, 1e-4f);
    // Nothing pressed: nothing changes.
    music.pollPlaybackKeys();
    EXPECT_NEAR(music.positionSeconds(), paused + 0.01f, 1e-4f);
}

TEST_F(MusicStreamTest, SeeksBeyondTheEndsGoToTheLibraryUnchanged) {
    music.seekSeconds(0.05f);
    tap('J');  // 0.05 - 0.1: a negative byte position, which the library refuses
    music.pollPlaybackKeys();
    EXPECT_NEAR(music.positionSeconds(), 0.05f, 1e-4f);
    music.seekSeconds(2.95f);
    tap('K');  // past the length: the stream is at its end
    music.pollPlaybackKeys();
    EXPECT_EQ(music.positionSeconds(), music.lengthSeconds());
}

TEST_F(AudioTest, FailuresAreReportedAndLeaveHandleZero) {
    MusicStream music;
    music.open("Tindermoot\\NoSuchMusic.mp3");
    EXPECT_EQ(music.handle, 0u);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Error::BASS");
    EXPECT_STREQ(win32::lastMessageBox().text, "BASS_StreamCreateFile");
    // Every later call goes to the library with handle 0 and is harmless.
    EXPECT_EQ(music.lengthSeconds(), -1.0f);
    EXPECT_EQ(music.positionSeconds(), -1.0f);
    music.play(100);
    music.seekSeconds(1.0f);
    float fft[512] = {};
    music.spectrum(fft);
    EXPECT_EQ(fft[3], 0.0f);

    MusicStream second;  // the library is still initialised by the first
    second.open("Tindermoot\\NoSuchMusic.mp3");
    EXPECT_EQ(win32::messageBoxCount(), 3u);
    second.release();
    music.release();
    MusicStream third;
    third.open("Tindermoot\\NoSuchMusic.mp3");
    EXPECT_EQ(win32::messageBoxCount(), 4u);  // Init worked again after the release
    third.release();
}

}  // namespace
