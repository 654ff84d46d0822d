// The disco scene: the dancer table and its order, the five-shot camera, the overlays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"
#include "show/DiscoDancers.h"

namespace showtest {
namespace {

using show::kDancerCount;

TEST(DancerTable, PlacesAndTurnsFollowTheirFormulas) {
    show::Dancer table[kDancerCount];
    unsigned order[kDancerCount];
    show::buildDancerTable(D3DXVECTOR3(0, 0, 0), table, order);
    for (unsigned i = 0; i < kDancerCount; ++i) {
        const double n = i;
        EXPECT_FLOAT_EQ(table[i].position.x, static_cast<float>(150.0 * std::cos(92455.0 * n * n * n))) << i;
        EXPECT_FLOAT_EQ(table[i].position.y, static_cast<float>(150.0 * std::sin(2452435.0 * n) + n)) << i;
        EXPECT_FLOAT_EQ(table[i].position.z, -4.8f);
        EXPECT_FLOAT_EQ(table[i].roll, static_cast<float>(n * (345 * n + 1)));
        // Turned about z, then moved: the translation row is the place, the upper block
        // a rotation about z by the roll.
        const D3DXMATRIX& w = table[i].world;
        EXPECT_FLOAT_EQ(w._41, table[i].position.x);
        EXPECT_FLOAT_EQ(w._42, table[i].position.y);
        EXPECT_FLOAT_EQ(w._43, -4.8f);
        EXPECT_NEAR(w._11, std::cos(table[i].roll), 1e-5);
        EXPECT_NEAR(w._12, std::sin(table[i].roll), 1e-5);
        EXPECT_FLOAT_EQ(w._33, 1.0f);
    }
    EXPECT_FLOAT_EQ(table[0].position.x, 150.0f);
    EXPECT_FLOAT_EQ(table[0].position.y, 0.0f);
}

TEST(DancerTable, OrderRunsFromFarthestToNearest) {
    show::Dancer table[kDancerCount];
    unsigned order[kDancerCount];
    for (const D3DXVECTOR3& eye : {D3DXVECTOR3(400, 0, 140), D3DXVECTOR3(-50, -300, 30), D3DXVECTOR3(0, 0, 500)}) {
        show::buildDancerTable(eye, table, order);
        bool seen[kDancerCount] = {};
        for (unsigned k = 0; k < kDancerCount; ++k) {
            ASSERT_LT(order[k], kDancerCount);
            EXPECT_FALSE(seen[order[k]]);
            seen[order[k]] = true;
            const D3DXVECTOR3& p = table[order[k]].position;
            const double d = std::sqrt(std::pow(eye.x - p.x, 2.0) + std::pow(eye.y - p.y, 2.0) + std::pow(eye.z - p.z, 2.0));
            EXPECT_NEAR(table[order[k]].distance, d, 1e-3);
            if (k > 0) {
                EXPECT_GE(table[order[k - 1]].distance, table[order[k]].distance);
            }
        }
    }
}

TEST(DiscoCamera, ShotTimeIsANineSecondSawtooth) {
    EXPECT_NEAR(show::discoShotTime(std::nextafter(29.2f, 99.0f)), -2.0f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(35.0f), 35.0f - 31.2f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(40.2f), 9.0f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(std::nextafter(40.2f, 99.0f)), 0.0f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(45.0f), 45.0f - 40.2f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(50.0f), 50.0f - 49.2f, 1e-5f);
    EXPECT_NEAR(show::discoShotTime(58.5f), 58.5f - 58.2f, 1e-5f);
}

struct Pose {
    std::vector<float> eye, target;
};

Pose poseOf(const std::vector<Call>& calls) {
    return {lastValues(calls, "SetFloatArray", "Disco.fx", "CameraPosition"),
            lastValues(calls, "SetFloatArray", "Disco.fx", "CameraTarget")};
}

void expectPose(const Pose& p, float ex, float ey, float ez, float tx, float ty, float tz, int shot) {
    ASSERT_EQ(p.eye.size(), 3u);
    ASSERT_EQ(p.target.size(), 3u);
    EXPECT_NEAR(p.eye[0], ex, 1e-2f) << "shot " << shot;
    EXPECT_NEAR(p.eye[1], ey, 1e-2f) << "shot " << shot;
    EXPECT_NEAR(p.eye[2], ez, 1e-2f) << "shot " << shot;
    EXPECT_NEAR(p.target[0], tx, 1e-2f) << "shot " << shot;
    EXPECT_NEAR(p.target[1], ty, 1e-2f) << "shot " << shot;
    EXPECT_NEAR(p.target[2], tz, 1e-2f) << "shot " << shot;
}

TEST(DiscoCamera, FiveShotsInTurnOnLoudBand2) {
    // Band 2 is loud all through the scene: every frame more than 0.4 s after the last
    // cut cuts.
    ShowRig rig(spike(2, 29.0f, 60.0f, 1.0f));
    const float times[] = {31.0f, 31.5f, 32.0f, 32.5f, 33.0f, 33.5f};
    for (int k = 0; k < 6; ++k) {
        const float t = times[k];
        const double w = show::discoShotTime(t);
        const double r = 0.5 + 0.3 * std::sin(0.6 * t);
        const Pose p = poseOf(rig.frame(t));
        EXPECT_EQ(rig.show().shotIndex, static_cast<unsigned>((k + 1) % 5));
        EXPECT_EQ(rig.show().lastCutTime, t);
        switch ((k + 1) % 5) {
            case 0: expectPose(p, 400 * std::cos(0.7 * t), -400 * std::sin(0.7 * t), 140, 400 * std::sin(0.7 * t), 400 * std::cos(0.7 * t), 30, 0); break;
            case 1: expectPose(p, 200 * std::sin(0.3 * w), 200 * std::cos(0.4 * w), 90, 0, 0, 30, 1); break;
            case 2: expectPose(p, 50 * w - 200, -300, 30, 42 * w - 150, 0, 140, 2); break;
            case 3: expectPose(p, -500 * std::cos(0.9 * t), -500 * std::sin(0.9 * t), 500 + 200 * std::sin(1.6 * t), 0, 0, 30, 3); break;
            case 4: expectPose(p, 500 * r * std::sin(0.3 * w), 500 * r * std::cos(0.3 * w), 190, 0, 0, 30, 4); break;
        }
    }
}

TEST(DiscoCamera, FieldOfViewPerShot) {
    ShowRig rig(spike(2, 29.0f, 60.0f, 1.0f));
    const float fovs[] = {1.2566371f, 0.7853982f, 1.0471976f, 1.2566371f, 1.5707964f};
    for (int k = 0; k < 5; ++k) {
        const std::vector<Call> calls = rig.frame(31.0f + 0.5f * k);
        const std::vector<float> proj = cameraMatrix(calls, "Disco.fx", "matProjection");
        ASSERT_EQ(proj.size(), 16u);
        // _22 of a perspective projection is cot(fov / 2).
        EXPECT_NEAR(proj[5], 1.0 / std::tan(fovs[k] / 2.0), 1e-4) << k;
    }
}

TEST(DiscoCamera, NoCutAtTheThresholdOrTheMinimumGap) {
    {
        ShowRig rig(spike(2, 29.0f, 60.0f, 0.3f));  // exactly the threshold
        for (float t : {31.0f, 32.0f, 33.0f}) rig.frame(t);
        EXPECT_EQ(rig.show().shotIndex, 0u);
    }
    {
        ShowRig rig(spike(2, 29.0f, 60.0f, 1.0f));
        rig.frame(40.0f);
        ASSERT_EQ(rig.show().shotIndex, 1u);
        // Just under 0.4 s since the last cut does not cut; the first time above does.
        rig.show().lastCutTime = 40.0f;
        const float justAbove = 40.4f;  // 40.4000015
        rig.frame(std::nextafter(justAbove, 0.0f));
        EXPECT_EQ(rig.show().shotIndex, 1u);
        rig.frame(justAbove);
        EXPECT_EQ(rig.show().shotIndex, 2u);
    }
    {
        // After seeking back no cut comes until the old cut time is passed by 0.4 s.
        ShowRig rig(spike(2, 29.0f, 60.0f, 1.0f));
        rig.frame(50.0f);
        rig.frame(35.0f);
        rig.frame(45.0f);
        EXPECT_EQ(rig.show().shotIndex, 1u);
        rig.frame(50.5f);
        EXPECT_EQ(rig.show().shotIndex, 2u);
    }
}

TEST(DiscoDancers, DancersFarthestFirstInBothPasses) {
    ShowRig rig;
    const float t = 45.0f;
    const std::vector<Call> calls = rig.frame(t);
    const std::vector<Draw> all = draws(calls);
    const std::vector<Draw> dancers = drawsOf(all, "DiscoDancer");
    ASSERT_EQ(dancers.size(), 2 * kDancerCount);
    for (unsigned k = 0; k < 2 * kDancerCount; ++k) {
        EXPECT_EQ(dancers[k].pass, k < kDancerCount ? 0u : 1u);
        if (k % kDancerCount) {
            EXPECT_GE(valueAtDraw(calls, dancers[k - 1], "const0"), valueAtDraw(calls, dancers[k], "const0"));
        }
    }
    // "const0" = 0.05 x distance + t, the distance from the eye just sent.
    const std::vector<float> eye = lastValues(calls, "SetFloatArray", "Disco.fx", "CameraPosition");
    show::Dancer table[kDancerCount];
    unsigned order[kDancerCount];
    show::buildDancerTable(D3DXVECTOR3(eye[0], eye[1], eye[2]), table, order);
    for (unsigned k = 0; k < kDancerCount; ++k) {
        EXPECT_NEAR(valueAtDraw(calls, dancers[k], "const0"), 0.05f * table[order[k]].distance + t, 1e-3f);
        const std::vector<float> world = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", dancers[k].index);
        ASSERT_EQ(world.size(), 16u);
        EXPECT_FLOAT_EQ(world[12], table[order[k]].position.x);
        EXPECT_FLOAT_EQ(world[13], table[order[k]].position.y);
    }
    // Floor pass 0, dancers pass 0, floor pass 1, dancers pass 1.
    const std::vector<Draw> floor = drawsOf(all, "DiscoFloor");
    ASSERT_EQ(floor.size(), 2u);
    EXPECT_EQ(floor[0].pass, 0u);
    EXPECT_EQ(floor[1].pass, 1u);
    EXPECT_LT(floor[0].index, dancers[0].index);
    EXPECT_LT(dancers[kDancerCount - 1].index, floor[1].index);
    EXPECT_LT(floor[1].index, dancers[kDancerCount].index);
    EXPECT_EQ(drawsOf(all, "BackGround").size(), 4u);
}

std::vector<std::pair<std::string, float>> overlays(const std::vector<Call>& calls) {
    std::vector<std::pair<std::string, float>> out;
    for (const Draw& d : drawsOf(draws(calls), "AdditiveOverlay")) {
        std::string tex = textureAtDraw(calls, d, "tex0");
        tex = tex.substr(tex.find_last_of("\\/") + 1);
        out.emplace_back(tex, valueAtDraw(calls, d, "const0"));
    }
    return out;
}

TEST(DiscoDancers, OverlaysFadeAtTheirEdges) {
    ShowRig rig;
    using O = std::vector<std::pair<std::string, float>>;
    EXPECT_EQ(overlays(rig.frame(34.2f)), (O{{"frames.png", 1.0f}}));
    O o = overlays(rig.frame(34.7f));
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0].first, "overlay02.png");
    EXPECT_NEAR(o[0].second, 0.5f, 1e-4f);
    o = overlays(rig.frame(41.7f));
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[0].first, "overlay02.png");
    EXPECT_NEAR(o[0].second, 0.5f, 1e-4f);
    EXPECT_EQ(o[1].first, "overlay03.png");
    EXPECT_NEAR(o[1].second, 0.5f, 1e-4f);
    o = overlays(rig.frame(56.5f));
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[1].first, "overlay04.png");
    EXPECT_FLOAT_EQ(o[1].second, 1.0f);
    EXPECT_FLOAT_EQ(o[0].second, 0.0f);
    o = overlays(rig.frame(57.0f));
    EXPECT_NEAR(o[1].second, 0.5f, 1e-4f);
    EXPECT_EQ(o[2], (std::pair<std::string, float>{"frames.png", 1.0f}));
}

TEST(DiscoDancers, LeavesDepthOffAndBlendingOn) {
    ShowRig rig;
    rig.frame(45.0f);
    DWORD value = 0;
    gDevice->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_FALSE));
    gDevice->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
}

}  // namespace
}  // namespace showtest
