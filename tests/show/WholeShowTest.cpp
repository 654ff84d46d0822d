// The whole show from start to end on the trace backend: every number sent is finite,
// no frame allocates, nothing fails; and what happens when files are missing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "AllocationCount.h"
#include "TraceRig.h"
#include "platform/win32/messagebox.h"

namespace showtest {
namespace {

// Plays [from, to] at `fps`, counting allocations and non-finite numbers.
struct RunResult {
    unsigned long frames = 0, allocations = 0, nonFinite = 0, lines = 0;
};

RunResult play(ShowRig& rig, double from, double to, double fps) {
    Recorder& r = rig.recorder();
    r.lines.clear();
    r.lines.shrink_to_fit();
    r.store = false;
    r.nonFinite = 0;
    r.lineCount = 0;
    RunResult result;
    const unsigned long before = tool::allocationCount();
    for (unsigned long k = 0;; ++k) {
        const double t = from + k / fps;
        if (t > to) break;
        rig.show().renderFrame(static_cast<float>(t));
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        ++result.frames;
    }
    for (double t = 0; t < 2.0; t += 1.0 / fps) rig.show().renderOutro(static_cast<float>(t));
    result.allocations = tool::allocationCount() - before;
    result.nonFinite = r.nonFinite;
    result.lines = r.lineCount;
    r.store = true;
    return result;
}

TEST(WholeShow, TestDataFromStartToEndAllocatesNothingAndSendsNoNaN) {
    // A lively spectrum, so that every cut and beat path runs.
    ShowRig rig([](unsigned sample, unsigned band) {
        return 0.5f + 0.5f * std::sin(0.37f * sample + 1.3f * band);
    });
    win32::resetMessageBoxes();
    testing::internal::CaptureStdout();  // the fly-in's console lines
    const RunResult run = play(rig, 0.0, 165.0, 30.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(run.frames, 165u * 30u + 1u);
    EXPECT_EQ(run.allocations, 0u);
    EXPECT_EQ(run.nonFinite, 0u);
    EXPECT_GT(run.lines, run.frames * 50u);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    EXPECT_NE(out.find("mongo = "), std::string::npos);
}

TEST(WholeShow, RealDataSetAtSixtyFramesPerSecond) {
    // The build's data set, or another complete one named by GLIMMERHOP_DATA_DIR.
    const char* chosen = std::getenv("GLIMMERHOP_DATA_DIR");
    const std::string data = chosen && *chosen ? chosen : GH_BINARY_DIR;
    if (!std::filesystem::exists(data + "/Tindermoot/Pellmoor.mp3") ||
        !std::filesystem::exists(data + "/Tindermoot/planb/3b.SCENE.scene")) {
        GTEST_SKIP() << "no complete data set in " << data << "/Tindermoot";
    }
    win32::resetMessageBoxes();
    ShowRig rig(data);
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().caption << ": "
                                            << win32::lastMessageBox().text;
    const float length = rig.show().music.lengthSeconds();
    ASSERT_GT(length, 100.0f);
    testing::internal::CaptureStdout();
    const RunResult run = play(rig, 0.0, length - 0.001, 60.0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(run.allocations, 0u);
    EXPECT_EQ(run.nonFinite, 0u);
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().caption;
}

TEST(MissingFiles, EmptyEffectIsSkippedAndOtherEffectsStillDraw) {
    ShowRig rig([](unsigned, unsigned) { return 0.0f; }, {"Disco.fx"});
    EXPECT_EQ(rig.show().discoEffect.compiled, nullptr);
    for (float t : {10.0f, 40.0f, 65.0f, 90.0f, 110.0f, 140.0f}) {
        const std::vector<Call> calls = rig.frame(t);
        for (const Draw& d : draws(calls)) EXPECT_NE(d.effect, "Disco.fx") << t;
        for (const Call& c : calls) EXPECT_NE(c.words.size() > 1 ? c.words[1] : "", "Disco.fx");
    }
    // The tunnel and the text scenes still draw with their own effects.
    EXPECT_FALSE(drawsOf(draws(rig.frame(65.0f)), "DiscoCylinder").empty());
    EXPECT_FALSE(drawsOf(draws(rig.frame(110.0f)), "TextPlane").empty());
    rig.outro(1.0f);
}

TEST(MissingFiles, SceneWithoutItsFilesDrawsWhatItHas) {
    ShowRig rig([](unsigned, unsigned) { return 0.0f; }, {"tun", "Floor", "planb", "box"});
    EXPECT_GT(win32::messageBoxCount(), 0u);
    for (float t : {10.0f, 20.0f, 65.0f, 90.0f, 110.0f, 140.0f}) {
        const std::vector<Call> calls = rig.frame(t);
        EXPECT_FALSE(drawsOf(draws(calls), "AdditiveOverlay").empty() && t > 29.2f) << t;
        EXPECT_TRUE(calls.back().is("EndScene"));
    }
    EXPECT_TRUE(drawsOf(draws(rig.frame(65.0f)), "Plane01").empty());
    EXPECT_TRUE(drawsOf(draws(rig.frame(65.0f)), "DiscoCylinder").empty());
}

TEST(MissingFiles, NoLoadingEffectStillClearsTheLoadingFrame) {
    ShowRig rig([](unsigned, unsigned) { return 0.0f; }, {"drit.fx"});
    const std::vector<Call> calls = parse(rig.loadLines());
    bool cleared = false, presented = false;
    for (const Call& c : calls) {
        cleared |= c.is("Clear");
        presented |= c.is("Present");
        if (c.words.size() > 1) {
            EXPECT_NE(c.words[1], "drit.fx");
        }
    }
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(presented);
}

}  // namespace
}  // namespace showtest
