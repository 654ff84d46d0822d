// The equalizer: the bars, the text camera, the overlays and what the frame leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"

namespace showtest {
namespace {

TEST(Equalizer, BarsStandOnTheirBandsWithALowerBoundInPassZeroOnly) {
    ShowRig rig;
    // A quiet spectrum: the first frame latches 0 on every band, 0.1 s later each band
    // has decayed to -0.09 (below the threshold, so nothing latches).
    rig.frame(110.0f);
    const std::vector<Call> calls = rig.frame(110.1f);
    const std::vector<Draw> boxes = drawsOf(draws(calls), "DiscoBox");
    // The big box (pass 1), then eight bars in pass 0 and eight in pass 1.
    ASSERT_EQ(boxes.size(), 17u);
    const float decayed = 0.0f - (110.1f - 110.0f) * 0.9f;
    for (unsigned i = 0; i < 8; ++i) {
        for (unsigned pass = 0; pass < 2; ++pass) {
            const Draw& d = boxes[1 + 8 * pass + i];
            EXPECT_EQ(d.pass, pass);
            const std::vector<float> world = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", d.index);
            ASSERT_EQ(world.size(), 16u);
            EXPECT_FLOAT_EQ(world[12], 60.0f * i - 200.0f);
            EXPECT_FLOAT_EQ(world[13], 0.0f);
            EXPECT_NEAR(world[14], pass == 0 ? 50.0f : 100.0f * decayed + 50.0f, 1e-3f) << i;
        }
    }
}

TEST(Equalizer, BarsRiseWithTheirOwnBand) {
    ShowRig rig(spike(3, 111.9f, 112.1f, 0.7f));
    const std::vector<Call> calls = rig.frame(112.0f);
    const std::vector<Draw> boxes = drawsOf(draws(calls), "DiscoBox");
    ASSERT_EQ(boxes.size(), 17u);
    for (unsigned i = 0; i < 8; ++i) {
        const float z0 = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", boxes[1 + i].index)[14];
        const float z1 = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", boxes[9 + i].index)[14];
        EXPECT_NEAR(z0, i == 3 ? 120.0f : 50.0f, 1e-3f) << i;
        EXPECT_EQ(z1, z0) << i;  // the second call of a band in one frame sees the same latch
    }
    // The big box: scaled 12 x 12 x 4 and raised by 120, and the box's pulse on const1.
    const std::vector<float> big = lastValues(calls, "SetMatrix", "Disco.fx", "matWorld", boxes[0].index);
    EXPECT_FLOAT_EQ(big[0], 12.0f);
    EXPECT_FLOAT_EQ(big[5], 12.0f);
    EXPECT_FLOAT_EQ(big[10], 4.0f);
    EXPECT_FLOAT_EQ(big[14], 120.0f);
    EXPECT_NEAR(valueAtDraw(calls, boxes[0], "const1"), 0.7f, 1e-6f);
    const std::vector<Draw> box2 = drawsOf(draws(calls), "DiscoBox2");
    ASSERT_EQ(box2.size(), 1u);
    EXPECT_EQ(box2[0].pass, 0u);
    EXPECT_NEAR(valueAtDraw(calls, box2[0], "const1"), 0.7f, 1e-6f);
}

TEST(Equalizer, TextPlaneStencilAndTextures) {
    ShowRig rig;
    const std::vector<Call> calls = rig.frame(115.0f);
    const std::vector<Draw> all = draws(calls);
    const std::vector<Draw> text = drawsOf(all, "TextPlane");
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0].pass, 0u);
    EXPECT_EQ(text[1].pass, 1u);
    EXPECT_NE(textureAtDraw(calls, text[0], "tex0").find("floortexture.png"), std::string::npos);
    EXPECT_NE(textureAtDraw(calls, text[1], "tex0").find("floorbit.png"), std::string::npos);
    EXPECT_EQ(valueAtDraw(calls, text[0], "time"), 115.0f - 103.4f);
    const std::vector<Draw> stencil = drawsOf(all, "Stencil");
    ASSERT_EQ(stencil.size(), 1u);
    const std::vector<float> world = lastValues(calls, "SetMatrix", "text.fx", "matWorld", stencil[0].index);
    EXPECT_NEAR(world[5], 0.0f, 1e-6f);   // a quarter turn about x
    EXPECT_NEAR(world[6], 1.0f, 1e-6f);
    // "tex2" is set on the text effect late in the frame and stays for the next frames.
    std::string tex2;
    for (const Call& c : calls)
        if (c.is("SetTexture") && c.words[1] == "text.fx" && c.words[2] == "tex2") tex2 = c.words[3];
    EXPECT_NE(tex2.find("phong2.png"), std::string::npos);
    // The clear is blue.
    for (const Call& c : calls)
        if (c.is("Clear")) {
            EXPECT_EQ(c.words[2], "0x000000ff");
        }
}

TEST(TextCamera, ThreeShotsOnBand0) {
    ShowRig rig(spike(0, 100.0f, 130.0f, 1.0f));
    rig.frame(110.0f);
    EXPECT_EQ(rig.show().textShotIndex, 0u);
    EXPECT_EQ(rig.show().textLastCutTime, 110.0f);
    rig.frame(110.5f);
    EXPECT_EQ(rig.show().textShotIndex, 0u);
    const float times[] = {111.0f, 112.0f, 113.0f};
    for (int k = 0; k < 3; ++k) {
        const float t = times[k];
        const std::vector<Call> calls = rig.frame(t);
        const unsigned shot = (k + 1) % 3;
        EXPECT_EQ(rig.show().textShotIndex, shot);
        const std::vector<float> e = lastValues(calls, "SetFloatArray", "text.fx", "CameraPosition");
        const std::vector<float> target = lastValues(calls, "SetFloatArray", "text.fx", "CameraTarget");
        ASSERT_EQ(e.size(), 3u);
        EXPECT_EQ(target, (std::vector<float>{0, 0, 0}));
        const double st = std::sin(t), ct = std::cos(t);
        const double ex[3] = {250 * st, 100 * st, (120 + 40 * std::cos(0.5 * t)) * st};
        const double ey[3] = {250 * ct, -100 * ct, (120 + 40 * std::sin(0.5 * t)) * ct};
        const float ez[3] = {120, 150, 200};
        const double fov[3] = {1.7453293, 2.4166098, 1.6534699};
        EXPECT_NEAR(e[0], ex[shot], 1e-2);
        EXPECT_NEAR(e[1], ey[shot], 1e-2);
        EXPECT_EQ(e[2], ez[shot]);
        const std::vector<float> proj = cameraMatrix(calls, "text.fx", "matProjection");
        EXPECT_NEAR(proj[5], 1.0 / std::tan(fov[shot] / 2), 1e-4);
        // The same pose on the disco effect.
        EXPECT_EQ(lastValues(calls, "SetFloatArray", "Disco.fx", "CameraPosition"), e);
    }
}

std::vector<float> overlayStrengths(const std::vector<Call>& calls) {
    std::vector<float> out;
    for (const Draw& d : drawsOf(draws(calls), "AdditiveOverlay")) out.push_back(valueAtDraw(calls, d, "const0"));
    return out;
}

TEST(Equalizer, OverlaysFadeAtTheirEdges) {
    ShowRig rig;
    std::vector<float> s = overlayStrengths(rig.frame(104.4f));  // scene time 1
    ASSERT_EQ(s.size(), 4u);
    EXPECT_FLOAT_EQ(s[0], 0.0f);
    EXPECT_FLOAT_EQ(s[3], 1.0f);
    s = overlayStrengths(rig.frame(111.4f));  // 8
    EXPECT_NEAR(s[0], 1.0f, 1e-4f);
    s = overlayStrengths(rig.frame(111.9f));  // 8.5
    EXPECT_NEAR(s[0], 0.5f, 1e-4f);
    s = overlayStrengths(rig.frame(112.9f));  // 9.5
    EXPECT_NEAR(s[1], 0.5f, 1e-4f);
    s = overlayStrengths(rig.frame(117.9f));  // 14.5
    EXPECT_NEAR(s[1], 0.5f, 1e-4f);
    EXPECT_NEAR(s[2], 0.0f, 1e-4f);
    s = overlayStrengths(rig.frame(118.9f));  // 15.5
    EXPECT_NEAR(s[2], 0.5f, 1e-4f);
    s = overlayStrengths(rig.frame(129.4f));
    EXPECT_NEAR(s[2], 0.5f, 1e-4f);
    s = overlayStrengths(rig.frame(129.9f));
    EXPECT_NEAR(s[2], 0.0f, 1e-4f);
}

TEST(Equalizer, LeavesCullingOffAndDepthOn) {
    ShowRig rig;
    rig.frame(120.0f);
    DWORD value = 0;
    gDevice->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
    gDevice->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
}

}  // namespace
}  // namespace showtest
