// The opening scene: camera time, the beat-flashing picture and the late dancer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"

namespace showtest {
namespace {

float eyeX(const std::vector<Call>& calls) {
    const std::vector<float> eye = lastValues(calls, "SetFloatArray", "Image.fx", "CameraPosition");
    return eye.empty() ? std::nanf("") : eye[0];
}

TEST(FloorIntro, CameraHoldsUntil14_6ThenRunsAtDoubleSpeed) {
    ShowRig rig;
    // The test camera's eye x is 30 per second of camera time.
    EXPECT_FLOAT_EQ(eyeX(rig.frame(5.0f)), 0.0f);
    EXPECT_FLOAT_EQ(eyeX(rig.frame(14.6f)), 0.0f);
    EXPECT_NEAR(eyeX(rig.frame(20.0f)), 30.0f * 10.8f, 1e-3f);
    EXPECT_NEAR(eyeX(rig.frame(29.2f)), 30.0f * 29.2f, 1e-3f);
    // Beyond 160 s the first scene comes back with the camera past its last key.
    EXPECT_FLOAT_EQ(eyeX(rig.frame(200.0f)), 1800.0f);
}

TEST(FloorIntro, DancerAndAlphaOnlyAfter14_6) {
    ShowRig rig;
    std::vector<Call> calls = rig.frame(14.6f);
    EXPECT_TRUE(drawsOf(draws(calls), "Dancer").empty());
    std::vector<float> alpha = lastValues(calls, "SetBool", "Image.fx", "usealpha");
    ASSERT_EQ(alpha.size(), 1u);
    EXPECT_EQ(alpha[0], 0.0f);

    const float later = std::nextafter(14.6f, 100.0f);
    calls = rig.frame(later);
    const std::vector<Draw> dancer = drawsOf(draws(calls), "Dancer");
    ASSERT_FALSE(dancer.empty());
    alpha = lastValues(calls, "SetBool", "Image.fx", "usealpha");
    ASSERT_EQ(alpha.size(), 1u);
    EXPECT_NE(alpha[0], 0.0f);
    EXPECT_NE(textureAtDraw(calls, dancer[0], "tex0").find("char01.png"), std::string::npos);
    // Camera time starts again from the first pose.
    EXPECT_NEAR(eyeX(calls), 0.0f, 1e-3f);
}

TEST(FloorIntro, DrawsInOrderWithItsPasses) {
    ShowRig rig;
    const std::vector<Call> calls = rig.frame(20.0f);
    const std::vector<Draw> all = draws(calls);
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0].technique, "DanceFloor");
    EXPECT_EQ(all[0].pass, 1u);
    // "db01" and "Dancer" draw every pass (the test effects have four).
    EXPECT_EQ(drawsOf(all, "db01").size(), 4u);
    EXPECT_EQ(drawsOf(all, "Dancer").size(), 4u);
    EXPECT_LT(drawsOf(all, "db01").back().index, drawsOf(all, "Dancer").front().index);
    EXPECT_NE(textureAtDraw(calls, drawsOf(all, "db01")[0], "tex0").find("ruffwick01.png"),
              std::string::npos);
    EXPECT_EQ(floatsSet(calls, "Disco.fx", "const1"), std::vector<float>{0.0f});
}

TEST(FloorIntro, FlashIsClampedAndTheDancerIsNot) {
    // All eight bands at 0.5 around 20 s: the summed spectrum (4.0) latches there.
    ShowRig rig(spike(8, 19.9f, 20.1f, 0.5f));
    std::vector<Call> calls = rig.frame(20.0f);
    std::vector<Draw> all = draws(calls);
    EXPECT_FLOAT_EQ(valueAtDraw(calls, drawsOf(all, "db01")[0], "const0"), 1.0f);
    // The second pulse sees the latch the first just set: 4.0 - 0 decay.
    EXPECT_NEAR(valueAtDraw(calls, drawsOf(all, "Dancer")[0], "const0"), 3.0f * 4.0f + 0.4f * 20.0f, 1e-3f);

    // A quiet moment much later: the latch has decayed below zero; the picture stays at 0.
    calls = rig.frame(20.5f);
    all = draws(calls);
    const float flash = valueAtDraw(calls, drawsOf(all, "db01")[0], "const0");
    EXPECT_GE(flash, 0.0f);
    EXPECT_LE(flash, 1.0f);
    // The dancer follows 3 p + 0.4 t with the decayed latch: 4.0 - 0.5 x 0.4 = 3.8 (the
    // flash's call found no beat and changed nothing).
    EXPECT_NEAR(valueAtDraw(calls, drawsOf(all, "Dancer")[0], "const0"), 3.0f * 3.8f + 0.4f * 20.5f, 1e-3f);
}

TEST(FloorIntro, LeavesDepthOffAndBlendingOn) {
    ShowRig rig;
    rig.frame(20.0f);
    DWORD value = 0;
    gDevice->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_FALSE));
    gDevice->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
    gDevice->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
}

}  // namespace
}  // namespace showtest
