// The box room: walls, the box and its beat, the cut rule, the fly-in, the overlays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"

namespace showtest {
namespace {

// p x M for a point with w = 1.
std::vector<float> transform(const std::vector<float>& m, float x, float y, float z) {
    return {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
            x * m[2] + y * m[6] + z * m[10] + m[14]};
}

TEST(BoxRoom, FloorAndFourWalls) {
    ShowRig rig;
    const std::vector<Call> calls = rig.frame(80.0f);
    const std::vector<Draw> floors = drawsOf(draws(calls), "DiscoFloor");
    // Five in pass 0, the four walls in passes 2 and 3, five in pass 1.
    ASSERT_EQ(floors.size(), 5u + 8u + 5u);
    for (unsigned k = 0; k < 5; ++k) EXPECT_EQ(floors[k].pass, 0u);
    for (unsigned k = 0; k < 8; ++k) EXPECT_EQ(floors[5 + k].pass, k % 2 ? 3u : 2u);
    for (unsigned k = 0; k < 5; ++k) EXPECT_EQ(floors[13 + k].pass, 1u);

    // Which plane each placement puts the 500 x 500 grid in, and the span of the walls.
    enum Axis { X, Y, Z };
    struct Plane {
        Axis axis;
        float at;
    } planes[5] = {{Z, 0.0f}, {Y, -248.0f}, {X, 248.0f}, {X, -248.0f}, {Y, 248.0f}};
    for (unsigned k = 0; k < 5; ++k) {
        const std::vector<float> world = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", floors[k].index);
        ASSERT_EQ(world.size(), 16u);
        float lowZ = 1e9f, highZ = -1e9f;
        for (float cx : {-250.0f, 250.0f}) {
            for (float cy : {-250.0f, 250.0f}) {
                const std::vector<float> p = transform(world, cx, cy, 0.0f);
                EXPECT_NEAR(p[planes[k].axis], planes[k].at, 1e-2f) << "placement " << k;
                lowZ = std::min(lowZ, p[2]);
                highZ = std::max(highZ, p[2]);
            }
        }
        if (k > 0) {
            EXPECT_NEAR(lowZ, -2.0f, 1e-2f) << k;
            EXPECT_NEAR(highZ, 498.0f, 1e-2f) << k;
        }
        // The same placement again in the first pass and in pass 1.
        EXPECT_EQ(lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", floors[13 + k].index), world);
    }
}

TEST(BoxRoom, BoxTumblesAboutItsCentreWithOnePulseForBothPasses) {
    ShowRig rig(spike(8, 84.9f, 85.1f, 0.25f));
    const float t = 85.0f;
    const std::vector<Call> calls = rig.frame(t);
    const std::vector<Draw> box = drawsOf(draws(calls), "DiscoBox");
    ASSERT_EQ(box.size(), 2u);
    EXPECT_EQ(box[0].pass, 0u);
    EXPECT_EQ(box[1].pass, 1u);
    const float first = valueAtDraw(calls, box[0], "const1");
    EXPECT_FLOAT_EQ(first, 2.0f);  // the summed bands latch at this frame
    EXPECT_EQ(valueAtDraw(calls, box[1], "const1"), first);
    const std::vector<float> world = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", box[0].index);
    ASSERT_EQ(world.size(), 16u);
    EXPECT_FLOAT_EQ(world[12], 0.0f);
    EXPECT_FLOAT_EQ(world[13], -50.0f);
    EXPECT_FLOAT_EQ(world[14], 50.0f);
    // The turn is yaw 0.85 t, pitch 0.7 t, roll t, then the move to the box's centre.
    D3DXMATRIX expected;
    D3DXMatrixRotationYawPitchRoll(&expected, 0.85f * t, 0.7f * t, t);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(world[i], (&expected._11)[i], 1e-4f) << i;
    EXPECT_EQ(rig.show().boxMesh.base._42, -50.0f);
}

std::vector<float> eye(const std::vector<Call>& calls) {
    return lastValues(calls, "SetFloatArray", "Disco.fx", "CameraPosition");
}

TEST(BoxCamera, FirstFrameSetsTheCutClockAndCutsNeedHalfASecond) {
    ShowRig rig(spike(0, 70.0f, 110.0f, 1.0f));
    rig.frame(80.0f);
    EXPECT_EQ(rig.show().boxShotIndex, 0u);  // the first frame only starts the clock
    EXPECT_EQ(rig.show().boxLastCutTime, 80.0f);
    rig.frame(80.5f);  // exactly 0.5 s later: no cut
    EXPECT_EQ(rig.show().boxShotIndex, 0u);
    rig.frame(std::nextafter(80.5f, 99.0f));
    EXPECT_EQ(rig.show().boxShotIndex, 1u);
    rig.frame(81.2f);
    EXPECT_EQ(rig.show().boxShotIndex, 2u);
    const float t = 81.8f;
    std::vector<Call> calls = rig.frame(t);
    EXPECT_EQ(rig.show().boxShotIndex, 0u);  // three cuts come back to the first shot
    const double a = static_cast<float>(t - 72.0);
    std::vector<float> e = eye(calls);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_NEAR(e[0], 200 * std::sin(a), 1e-2);
    EXPECT_NEAR(e[1], 200 * std::cos(a), 1e-2);
    EXPECT_NEAR(e[2], 60.0f, 1e-4f);
    // Leaving and coming back (by seeking) keeps the clock: no first-run reset.
    rig.frame(40.0f);
    rig.frame(81.9f);
    EXPECT_EQ(rig.show().boxShotIndex, 0u);
    EXPECT_EQ(rig.show().boxLastCutTime, t);
}

TEST(BoxCamera, NoCutAtTheThreshold) {
    ShowRig rig(spike(0, 70.0f, 110.0f, 0.2f));
    for (float t : {80.0f, 81.0f, 82.0f}) rig.frame(t);
    EXPECT_EQ(rig.show().boxShotIndex, 0u);
}

TEST(BoxCamera, ShotsOneAndTwo) {
    ShowRig rig(spike(0, 70.0f, 110.0f, 1.0f));
    rig.frame(80.0f);
    float t = 81.0f;
    std::vector<Call> calls = rig.frame(t);
    ASSERT_EQ(rig.show().boxShotIndex, 1u);
    double a = static_cast<float>(t - 72.0);
    std::vector<float> e = eye(calls);
    std::vector<float> target = lastValues(calls, "SetFloatArray", "Disco.fx", "CameraTarget");
    EXPECT_NEAR(e[0], -200 * std::sin(a), 1e-2);
    EXPECT_NEAR(e[1], 200 * std::cos(a), 1e-2);
    EXPECT_NEAR(e[2], 100 + 40 * std::sin(0.5 * t), 1e-2);
    EXPECT_NEAR(target[0], -100 * std::sin(a + 1), 1e-2);
    EXPECT_NEAR(target[1], 100 * std::cos(a + 1), 1e-2);
    EXPECT_NEAR(target[2], 80.0f, 1e-4f);
    t = 82.0f;
    calls = rig.frame(t);
    ASSERT_EQ(rig.show().boxShotIndex, 2u);
    a = static_cast<float>(t - 72.0);
    e = eye(calls);
    target = lastValues(calls, "SetFloatArray", "Disco.fx", "CameraTarget");
    EXPECT_NEAR(e[0], 100 * std::sin(a), 1e-2);
    EXPECT_NEAR(e[1], 100 * std::cos(a), 1e-2);
    EXPECT_NEAR(target[0], -10 * std::sin(a + 1), 1e-2);
    EXPECT_NEAR(target[1], 10 * std::cos(a + 1), 1e-2);
}

TEST(BoxCamera, FlyInWithItsConsoleLine) {
    ShowRig rig;
    testing::internal::CaptureStdout();
    rig.frame(102.4f);  // still the shot table
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");

    const float t = std::nextafter(102.4f, 200.0f);
    testing::internal::CaptureStdout();
    std::vector<Call> calls = rig.frame(t);
    std::fflush(stdout);
    out = testing::internal::GetCapturedStdout();
    const float m = static_cast<float>(t - static_cast<double>(103.4f));
    char expectedLine[64];
    std::snprintf(expectedLine, sizeof expectedLine, "mongo = %f", static_cast<double>(m));
    EXPECT_EQ(out, expectedLine);
    const double a = static_cast<float>(t - 72.0);
    std::vector<float> e = eye(calls);
    EXPECT_NEAR(e[0], 250 * m * std::sin(a), 1e-2);
    EXPECT_NEAR(e[1], 250 * m * std::cos(a) - 50, 1e-2);
    EXPECT_NEAR(e[2], 50.0f, 1e-4f);
    EXPECT_NEAR(std::hypot(e[0], e[1] + 50), 250.0f, 0.1f);

    // On the last frame the eye reaches the target: the view stays defined and keeps
    // looking the way the camera flew.
    testing::internal::CaptureStdout();
    calls = rig.frame(103.4f);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "mongo = 0.000000");
    e = eye(calls);
    EXPECT_EQ(e, (std::vector<float>{0.0f, -50.0f, 50.0f}));
    const std::vector<float> view = cameraMatrix(calls, "Disco.fx", "matView");
    ASSERT_EQ(view.size(), 16u);
    for (float v : view) EXPECT_TRUE(std::isfinite(v));
    // The view's forward axis (third column) points along (sin a, cos a, 0).
    const double a2 = static_cast<float>(103.4f - 72.0);
    EXPECT_NEAR(view[2], std::sin(a2), 1e-4);
    EXPECT_NEAR(view[6], std::cos(a2), 1e-4);
    EXPECT_NEAR(view[10], 0.0, 1e-4);
}

TEST(BoxRoom, OverlaysAtTheirEdges) {
    ShowRig rig;
    auto named = [](const std::vector<Call>& calls) {
        std::vector<std::pair<std::string, float>> out;
        for (const Draw& d : drawsOf(draws(calls), "AdditiveOverlay")) {
            std::string tex = textureAtDraw(calls, d, "tex0");
            out.emplace_back(tex.substr(tex.find_last_of("\\/") + 1), valueAtDraw(calls, d, "const0"));
        }
        return out;
    };
    using O = std::vector<std::pair<std::string, float>>;
    EXPECT_EQ(named(rig.frame(74.6f)), (O{{"frames.png", 1.0f}}));  // u = 1: no overlay06
    O o = named(rig.frame(75.1f));
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0].first, "overlay07.png");
    EXPECT_NEAR(o[0].second, 0.4f, 1e-4f);
    // u = 16: overlay07 drawn at 0, no overlay08.
    o = named(rig.frame(89.6f));
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[1].first, "overlay08.png");
    EXPECT_FLOAT_EQ(o[1].second, 0.0f);
    o = named(rig.frame(99.6f));
    ASSERT_EQ(o.size(), 4u);
    EXPECT_EQ(o[2].first, "overlay09.png");
    EXPECT_NEAR(o[2].second, 0.5f, 1e-4f);
    // "const1" is 0.09 t on overlay06 while it is the last one drawn before the frame.
    const std::vector<Call> calls = rig.frame(80.0f);
    const std::vector<Draw> ov = drawsOf(draws(calls), "AdditiveOverlay");
    ASSERT_EQ(ov.size(), 2u);
    EXPECT_NEAR(valueAtDraw(calls, ov[0], "const1"), 0.09f * 80.0f, 1e-4f);
    EXPECT_NEAR(valueAtDraw(calls, ov[1], "const1"), 0.09f * 80.0f, 1e-4f);
}

TEST(BoxRoom, LeavesDepthOffAndCullingOff) {
    ShowRig rig;
    rig.frame(90.0f);
    DWORD value = 0;
    gDevice->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_FALSE));
    gDevice->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
}

}  // namespace
}  // namespace showtest
