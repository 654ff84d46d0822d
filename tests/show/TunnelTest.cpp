// The tunnel: the plates' step count and numbers, the spin, the overlays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"
#include "show/Tunnel.h"

namespace showtest {
namespace {

TEST(TunnelPlates, StepCountAndRemainder) {
    unsigned n = 99;
    long double f = 0;
    show::plateSteps(59.8f, n, f);  // a is exactly the single-precision 0.1: not reduced
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(static_cast<float>(f), 0.1f);
    show::plateSteps(59.0f, n, f);
    EXPECT_EQ(n, 0u);
    EXPECT_NEAR(static_cast<double>(f), 0.02, 1e-6);
    show::plateSteps(60.0f, n, f);
    EXPECT_EQ(n, 1u);
    EXPECT_NEAR(static_cast<double>(f), 0.02, 1e-6);
    show::plateSteps(73.6f, n, f);
    EXPECT_EQ(n, 14u);
    EXPECT_NEAR(static_cast<double>(f), 0.08, 1e-6);
    for (float t = 58.9f; t < 73.6f; t += 0.37f) {
        show::plateSteps(t, n, f);
        EXPECT_GT(f, 0.0L);
        EXPECT_LE(f, static_cast<long double>(0.1f));
    }
}

TEST(TunnelPlates, NumbersAreUnsignedDifferences) {
    EXPECT_EQ(show::plateNumber(5, 0), 5.0f);
    EXPECT_EQ(show::plateNumber(14, 14), 0.0f);
    EXPECT_EQ(show::plateNumber(0, 1), 4294967296.0f);
    EXPECT_EQ(show::plateNumber(0, 14), 4294967296.0f);
}

std::vector<float> plateNumbers(const std::vector<Call>& calls) {
    std::vector<float> out;
    for (const Draw& d : drawsOf(draws(calls), "Plane01")) out.push_back(valueAtDraw(calls, d, "const0"));
    return out;
}

TEST(Tunnel, ThirtyPlatesWithTheirNumbers) {
    ShowRig rig;
    std::vector<float> expected;
    for (int i = 0; i < 30; ++i) expected.push_back(static_cast<float>(i));
    EXPECT_EQ(plateNumbers(rig.frame(59.8f)), expected);

    expected.assign(1, 4294967296.0f);
    for (int i = 0; i < 29; ++i) expected.push_back(static_cast<float>(i));
    EXPECT_EQ(plateNumbers(rig.frame(60.0f)), expected);

    expected.assign(14, 4294967296.0f);
    for (int i = 0; i < 16; ++i) expected.push_back(static_cast<float>(i));
    EXPECT_EQ(plateNumbers(rig.frame(73.6f)), expected);
}

TEST(Tunnel, PlatesArePlacedByTheirPhase) {
    ShowRig rig;
    const float t = 65.0f;
    const std::vector<Call> calls = rig.frame(t);
    const std::vector<Draw> plates = drawsOf(draws(calls), "Plane01");
    ASSERT_EQ(plates.size(), 30u);
    unsigned n;
    long double f;
    show::plateSteps(t, n, f);
    const float s = static_cast<float>(std::sin(t) * 0.1f);
    for (unsigned i = 0; i < 30; ++i) {
        const float phase = static_cast<float>(f + static_cast<long double>(0.1f) * i);
        const std::vector<float> world = lastValues(calls, "SetMatrix", "cyl.fx", "matWorld", plates[i].index);
        ASSERT_EQ(world.size(), 16u);
        // The translation row is v = (140, 40 sin(t + 6P), 40 cos(t + 5P)).
        EXPECT_NEAR(world[12], 140.0f, 1e-3f);
        EXPECT_NEAR(world[13], 40.0 * std::sin(t + 6.0 * phase), 1e-3);
        EXPECT_NEAR(world[14], 40.0 * std::cos(t + 5.0 * phase), 1e-3);
        // Yaw 0.1P and pitch 0.1P + s: _32 of D3DX's yaw-pitch-roll matrix is -sin(pitch).
        EXPECT_NEAR(world[9], -std::sin(static_cast<long double>(0.1f) * phase + s), 1e-5);
        EXPECT_NE(textureAtDraw(calls, plates[i], "tex0").find("marrowby.png"), std::string::npos);
        EXPECT_EQ(plates[i].pass, 0u);
    }
}

// The angles use the single-precision 0.1: at t = 60 plate 1 (phase 0.12) has yaw
// 0.1f x P, and _13 = -sin(yaw) lands on this float exactly; a double 0.1 misses it by
// one unit in the last place.
TEST(Tunnel, PlateAnglesUseTheSinglePrecisionTenth) {
    ShowRig rig;
    const std::vector<Call> calls = rig.frame(60.0f);
    const std::vector<Draw> plates = drawsOf(draws(calls), "Plane01");
    ASSERT_EQ(plates.size(), 30u);
    const std::vector<float> world = lastValues(calls, "SetMatrix", "cyl.fx", "matWorld", plates[1].index);
    ASSERT_EQ(world.size(), 16u);
    EXPECT_EQ(world[2], -0.0119997207f);
}

TEST(Tunnel, SpinsAboutXWithMusicTimeInTwoPasses) {
    ShowRig rig;
    const float t = 62.0f;
    const std::vector<Call> calls = rig.frame(t);
    const std::vector<Draw> tube = drawsOf(draws(calls), "DiscoCylinder");
    ASSERT_EQ(tube.size(), 2u);
    EXPECT_EQ(tube[0].pass, 0u);
    EXPECT_EQ(tube[1].pass, 1u);
    const std::vector<float> world = lastValues(calls, "SetMatrix", "cyl.fx", "matWorld", tube[0].index);
    ASSERT_EQ(world.size(), 16u);
    EXPECT_FLOAT_EQ(world[0], 1.0f);
    EXPECT_NEAR(world[5], std::cos(t), 1e-5);
    EXPECT_NEAR(world[6], std::sin(t), 1e-5);
    EXPECT_NE(textureAtDraw(calls, tube[0], "tex0").find("floortexture.png"), std::string::npos);
    EXPECT_NE(textureAtDraw(calls, tube[1], "tex0").find("floorbit.png"), std::string::npos);
    EXPECT_NE(textureAtDraw(calls, tube[1], "tex1").find("phong.png"), std::string::npos);
    // The scene's own camera at music time: the test camera's eye x is -300 + 7.5 t.
    const std::vector<float> eye = lastValues(calls, "SetFloatArray", "cyl.fx", "CameraPosition");
    ASSERT_EQ(eye.size(), 3u);
    EXPECT_NEAR(eye[0], -300.0f + 7.5f * t, 1e-2f);
    const std::vector<float> discoEye = lastValues(calls, "SetFloatArray", "Disco.fx", "CameraPosition");
    EXPECT_EQ(discoEye, eye);
}

TEST(Tunnel, OverlaysFadeAtTheirEdges) {
    ShowRig rig;
    auto strengths = [](const std::vector<Call>& calls) {
        std::vector<float> out;
        for (const Draw& d : drawsOf(draws(calls), "AdditiveOverlay")) out.push_back(valueAtDraw(calls, d, "const0"));
        return out;
    };
    std::vector<float> s = strengths(rig.frame(59.9f));
    ASSERT_EQ(s.size(), 3u);
    EXPECT_FLOAT_EQ(s[0], 0.0f);
    EXPECT_FLOAT_EQ(s[2], 1.0f);
    s = strengths(rig.frame(65.9f));
    EXPECT_FLOAT_EQ(s[0], 1.0f);
    s = strengths(rig.frame(66.4f));
    EXPECT_NEAR(s[0], 0.5f, 1e-4f);
    EXPECT_NEAR(s[1], 0.4f, 1e-4f);
    s = strengths(rig.frame(72.5f));
    EXPECT_NEAR(s[1], 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(s[0], 0.0f);
}

}  // namespace
}  // namespace showtest
