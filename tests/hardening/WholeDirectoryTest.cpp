// Faults of the whole setting rather than of one file: no data directory, a sync file
// that cannot be written, a music clock that stops, no sound device.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "FaultRig.h"
#include "audio/MusicStream.h"
#include "audio/SyncData.h"
#include "platform/bass/clock.h"
#include "platform/win32/messagebox.h"
#include "show/ShowData.h"

namespace fs = std::filesystem;

namespace hardening {
namespace {

std::string listBoxes(const std::vector<Box>& boxes) {
    std::string s;
    for (const Box& b : boxes) s += "\n  [" + b.caption + "] " + b.text;
    return s;
}

bool anyBox(const std::vector<Box>& boxes, const char* caption, const char* textPart) {
    for (const Box& b : boxes)
        if (b.caption == caption && b.text.find(textPart) != std::string::npos) return true;
    return false;
}

void writeTestData(const std::string& root) {
    showtest::writeShowData(root, [](unsigned sample, unsigned) { return (sample % 9) / 9.0f; });
}

TEST(DataDirectory, MissingGivesOneBoxAndAnEmptyShowThatStillPlays) {
    ScratchDir dir;
    Watchdog watchdog("a show without data", 60);
    const ShowRun run = runShow(dir.path(), 0.5);
    ASSERT_EQ(run.loadBoxes.size(), 1u) << listBoxes(run.loadBoxes);
    EXPECT_EQ(run.loadBoxes[0].caption, "Tindermoot");
    EXPECT_NE(run.loadBoxes[0].text.find("Tindermoot"), std::string::npos);
    EXPECT_GT(run.frames, 300u);
    EXPECT_TRUE(run.playBoxes.empty()) << listBoxes(run.playBoxes);
    EXPECT_EQ(run.nonFinite, 0u) << run.firstNonFinite;
}

TEST(DataDirectory, FileInPlaceOfTheDirectoryIsTheSameFault) {
    ScratchDir dir;
    writeBytes(dir.path() + "/Tindermoot", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'i', 'r'});
    const ShowRun run = runShow(dir.path(), 4.0);
    ASSERT_EQ(run.loadBoxes.size(), 1u) << listBoxes(run.loadBoxes);
    EXPECT_EQ(run.loadBoxes[0].caption, "Tindermoot");
}

TEST(DataDirectory, EmptyDirectoryReportsEachFileAndPlays) {
    ScratchDir dir;
    fs::create_directories(dir.path() + "/Tindermoot");
    const ShowRun run = runShow(dir.path(), 1.0);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Error::BASS", "BASS_StreamCreateFile")) << listBoxes(run.loadBoxes);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Problems With File", "Rari.sync")) << listBoxes(run.loadBoxes);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Failed To Open The MeshFile", "Dancer.SCENEPlane01.mesh"))
        << listBoxes(run.loadBoxes);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Problems With File", "3b.SCENE.scene")) << listBoxes(run.loadBoxes);
    EXPECT_EQ(run.nonFinite, 0u) << run.firstNonFinite;
    EXPECT_TRUE(run.playBoxes.empty()) << listBoxes(run.playBoxes);
}

// Running as root, no permission bit stops a write; a directory where the capture's
// file must go does.
TEST(SyncCapture, UnwritableTargetGivesTheBoxAndTheShowGoesOn) {
    ScratchDir dir;
    writeTestData(dir.path());
    fs::remove(dir.path() + "/Tindermoot/Rari.sync");
    fs::create_directories(dir.path() + "/Tindermoot/Rari.sync.part");
    Watchdog watchdog("a capture that cannot write", 60);
    const ShowRun run = runShow(dir.path(), 1.0);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Problems With File", "Rari.sync")) << listBoxes(run.loadBoxes);
    EXPECT_FALSE(fs::exists(dir.path() + "/Tindermoot/Rari.sync"));
    EXPECT_GT(run.frames, 150u);
    EXPECT_EQ(run.nonFinite, 0u) << run.firstNonFinite;
}

TEST(SyncCapture, DirectoryInPlaceOfTheSyncFileIsReportedAndLeftAlone) {
    ScratchDir dir;
    writeTestData(dir.path());
    fs::remove(dir.path() + "/Tindermoot/Rari.sync");
    fs::create_directories(dir.path() + "/Tindermoot/Rari.sync");
    const ShowRun run = runShow(dir.path(), 2.0);
    EXPECT_TRUE(anyBox(run.loadBoxes, "Problems With File", "Rari.sync")) << listBoxes(run.loadBoxes);
    EXPECT_TRUE(fs::is_directory(dir.path() + "/Tindermoot/Rari.sync"));
    EXPECT_FALSE(fs::exists(dir.path() + "/Tindermoot/Rari.sync.part"));
    EXPECT_EQ(run.nonFinite, 0u) << run.firstNonFinite;
}

// A clock that never moves (here the driven clock nobody drives; in a real run a sound
// device that stopped) ends the capture with its box instead of waiting forever.
TEST(SyncCapture, StalledMusicClockEndsTheCaptureWithItsBox) {
    const std::string music = std::string(GH_BINARY_DIR) + "/Tindermoot/Pellmoor.mp3";
    if (!fs::exists(music)) GTEST_SKIP() << "no music in the data set";
    ScratchDir dir;
    const std::string path = dir.path() + "/stalled.sync";
    win32::setMessageBoxesInteractive(false);
    bass::useDrivenClock(true);
    bass::setDrivenPosition(0.0);
    MusicStream stream;
    stream.open(music.c_str());
    ASSERT_NE(stream.handle, 0u);
    SyncData sync;
    win32::resetMessageBoxes();
    testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    bool written;
    {
        Watchdog watchdog("a capture on a stalled clock", 30);
        written = sync.capture(path.c_str(), stream, 8, 0.0f);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string out = testing::internal::GetCapturedStdout();
    stream.release();
    bass::useDrivenClock(false);
    EXPECT_FALSE(written);
    EXPECT_LT(seconds, 15.0);
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + ".part"));
    // A stalled position is not printed over and over.
    EXPECT_LT(out.size(), 4096u) << out.substr(0, 400);
}

// No sound device at all: the music still opens without a box and its clock keeps real
// time on the silent output.
TEST(Audio, NoSoundDevicePlaysOnTheSilentClock) {
    const std::string music = std::string(GH_BINARY_DIR) + "/Tindermoot/Pellmoor.mp3";
    if (!fs::exists(music)) GTEST_SKIP() << "no music in the data set";
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
    win32::setMessageBoxesInteractive(false);
    win32::resetMessageBoxes();
    bass::useDrivenClock(false);
    MusicStream stream;
    stream.open(music.c_str());
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    ASSERT_NE(stream.handle, 0u);
    stream.play(100);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const float position = stream.positionSeconds();
    stream.release();
    if (old) setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else unsetenv("SDL_AUDIODRIVER");
    EXPECT_GT(position, 0.2f);
    EXPECT_LT(position, 5.0f);
}

}  // namespace
}  // namespace hardening
