// The finale: the swinging camera, the names, the logo.
#include <gtest/gtest.h>

#include <cmath>

#include "TraceRig.h"

namespace showtest {
namespace {

TEST(Finale, CameraSwingsAroundTheOrigin) {
    ShowRig rig;
    for (float t : {130.0f, 137.3f, 155.0f}) {
        const std::vector<Call> calls = rig.frame(t);
        const std::vector<float> e = lastValues(calls, "SetFloatArray", "text.fx", "CameraPosition");
        ASSERT_EQ(e.size(), 3u);
        EXPECT_NEAR(e[0], 80 * std::sin(2.5 * t), 1e-3);
        EXPECT_NEAR(e[1], 80 * std::cos(2.0 * t), 1e-3);
        EXPECT_NEAR(e[2], 80 * std::cos(1.5 * t), 1e-3);
        EXPECT_EQ(lastValues(calls, "SetFloatArray", "text.fx", "CameraTarget"), (std::vector<float>{0, 0, 0}));
        const std::vector<float> proj = cameraMatrix(calls, "text.fx", "matProjection");
        EXPECT_NEAR(proj[5], 1.0f, 1e-5f);  // cot(pi / 4)
    }
    const std::vector<float> e = lastValues(rig.frame(130.0f), "SetFloatArray", "text.fx", "CameraPosition");
    EXPECT_NEAR(e[0], 80 * std::sin(325.0), 1e-3);
    EXPECT_NEAR(e[1], 80 * std::cos(260.0), 1e-3);
    EXPECT_NEAR(e[2], 80 * std::cos(195.0), 1e-3);
}

TEST(Finale, DrawsBackgroundSceneAndOverlaysInOrder) {
    ShowRig rig;
    const std::vector<Call> calls = rig.frame(135.0f);
    const std::vector<Draw> all = draws(calls);
    const std::vector<Draw> greet = drawsOf(all, "GreetFloor");
    const std::vector<Draw> planb = drawsOf(all, "PlanB");
    ASSERT_EQ(greet.size(), 2u);
    ASSERT_EQ(planb.size(), 1u);
    EXPECT_EQ(greet[0].pass, 0u);
    EXPECT_EQ(planb[0].pass, 1u);
    EXPECT_EQ(greet[1].pass, 1u);
    EXPECT_LT(greet[0].index, planb[0].index);
    EXPECT_LT(planb[0].index, greet[1].index);
    EXPECT_NE(textureAtDraw(calls, greet[1], "tex1").find("greets.png"), std::string::npos);
    EXPECT_FLOAT_EQ(valueAtDraw(calls, greet[0], "time"), 137.5f);
    for (const Call& c : calls)
        if (c.is("Clear")) {
            EXPECT_EQ(c.words[2], "0x000000ff");
        }
    const std::vector<Draw> ov = drawsOf(all, "AdditiveOverlay");
    ASSERT_EQ(ov.size(), 4u);
    const char* files[4] = {"trelkin.png", "vobble.png", "frames.png", "vantroop.png"};
    for (int i = 0; i < 4; ++i) EXPECT_NE(textureAtDraw(calls, ov[i], "tex0").find(files[i]), std::string::npos);
    EXPECT_FLOAT_EQ(valueAtDraw(calls, ov[2], "const1"), 0.0f);
}

std::vector<float> strengths(const std::vector<Call>& calls) {
    std::vector<float> out;
    for (const Draw& d : drawsOf(draws(calls), "AdditiveOverlay")) out.push_back(valueAtDraw(calls, d, "const0"));
    return out;
}

TEST(Finale, NamesAndLogoFade) {
    ShowRig rig;
    std::vector<float> s = strengths(rig.frame(130.9f));
    ASSERT_EQ(s.size(), 4u);
    EXPECT_NEAR(s[0], 0.0f, 1e-4f);
    s = strengths(rig.frame(131.15f));
    EXPECT_NEAR(s[0], 1.0f, 1e-3f);
    s = strengths(rig.frame(133.9f));
    EXPECT_FLOAT_EQ(s[0], 1.0f);
    EXPECT_NEAR(s[1], 0.0f, 1e-4f);
    s = strengths(rig.frame(134.4f));
    EXPECT_NEAR(s[0], 0.5f, 1e-4f);
    EXPECT_NEAR(s[1], 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(s[2], 1.0f);
    s = strengths(rig.frame(138.4f));
    EXPECT_NEAR(s[1], 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(strengths(rig.frame(139.0f))[3], 0.0f);
    EXPECT_NEAR(strengths(rig.frame(140.0f))[3], 0.6f, 1e-5f);
    EXPECT_FLOAT_EQ(strengths(rig.frame(141.0f))[3], 1.0f);
    EXPECT_FLOAT_EQ(strengths(rig.frame(160.0f))[3], 1.0f);
}

TEST(Finale, LeavesDepthAndCullingOff) {
    ShowRig rig;
    rig.frame(150.0f);
    DWORD value = 0;
    gDevice->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_FALSE));
    gDevice->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
}

}  // namespace
}  // namespace showtest
