// Which scene draws a time, the outro's fade, and what loading does.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TraceRig.h"

namespace showtest {
namespace {

// Each scene is known by a technique only it draws with.
int sceneOf(const std::vector<Call>& calls) {
    const char* marks[6] = {"db01", "DiscoDancer", "DiscoCylinder", "DiscoFloor", "TextPlane", "GreetFloor"};
    int found = -1;
    for (const Draw& d : draws(calls)) {
        for (int i = 0; i < 6; ++i) {
            // The disco scene draws DiscoFloor too; the dancers tell it apart.
            if (d.technique == marks[i] && (found < 0 || (found == 3 && i == 1))) found = i;
        }
    }
    return found;
}

float above(float t) { return std::nextafter(t, std::numeric_limits<float>::infinity()); }

TEST(Timeline, EachBoundBelongsToTheSceneBelowIt) {
    ShowRig rig;
    struct Case {
        float t;
        int scene;
    } cases[] = {
        {-5.0f, 0},          {0.0f, 0},           {29.2f, 0},          {above(29.2f), 1},
        {58.8f, 1},          {above(58.8f), 2},   {73.6f, 2},          {above(73.6f), 3},
        {103.4f, 3},         {above(103.4f), 4},  {129.9f, 4},         {above(129.9f), 5},
        {160.0f, 5},         {above(160.0f), 0},  {1000.0f, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sceneOf(rig.frame(c.t)), c.scene) << "t = " << c.t;
    }
}

TEST(Timeline, EveryFrameIsOneSceneBetweenBeginAndEnd) {
    ShowRig rig;
    for (float t : {10.0f, 40.0f, 65.0f, 90.0f, 110.0f, 140.0f}) {
        const std::vector<Call> calls = rig.frame(t);
        int begins = 0, ends = 0;
        for (const Call& c : calls) {
            begins += c.is("BeginScene");
            ends += c.is("EndScene");
        }
        EXPECT_EQ(begins, 1) << t;
        EXPECT_EQ(ends, 1) << t;
        EXPECT_TRUE(calls.front().is("SetFloat")) << t;  // "time" comes first, before BeginScene
        EXPECT_TRUE(calls.back().is("EndScene")) << t;
    }
}

TEST(Outro, LogoHoldsHalfASecondThenFadesOutByOneAndAHalf) {
    ShowRig rig;
    struct Case {
        float t, strength;
    } cases[] = {{0.0f, 1.0f}, {0.5f, 1.0f}, {1.0f, 0.5f}, {1.25f, 0.25f}, {1.5f, 0.0f}, {2.0f, 0.0f}};
    for (const Case& c : cases) {
        const std::vector<Call> calls = rig.outro(c.t);
        const std::vector<Draw> all = draws(calls);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].technique, "AdditiveOverlay");
        EXPECT_EQ(all[0].pass, 0u);
        EXPECT_FLOAT_EQ(valueAtDraw(calls, all[0], "const0"), c.strength) << c.t;
        EXPECT_FLOAT_EQ(valueAtDraw(calls, all[0], "const1"), 0.0f);
        EXPECT_FLOAT_EQ(valueAtDraw(calls, all[0], "time"), c.t);
        EXPECT_NE(textureAtDraw(calls, all[0], "tex0").find("vantroop.png"), std::string::npos);
    }
}

TEST(Load, LoadingFrameIsPresentedBeforeTheTextures) {
    ShowRig rig;
    const std::vector<Call> calls = parse(rig.loadLines());
    std::size_t present = SIZE_MAX, firstStackTexture = SIZE_MAX, drawn = SIZE_MAX;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        if (present == SIZE_MAX && c.is("Present")) present = i;
        if (drawn == SIZE_MAX && c.is("DrawIndexedPrimitive")) drawn = i;
        for (const std::string& w : c.words)
            if (firstStackTexture == SIZE_MAX && w.find("ruffwick01.png") != std::string::npos)
                firstStackTexture = i;
    }
    ASSERT_NE(present, SIZE_MAX);
    ASSERT_NE(firstStackTexture, SIZE_MAX);
    EXPECT_LT(drawn, present);
    EXPECT_LT(present, firstStackTexture);
    // The loading frame clears the colour only, to blue.
    bool clearedBlue = false;
    for (std::size_t i = 0; i < present; ++i)
        if (calls[i].is("Clear")) clearedBlue = calls[i].words[1] == "0x1" && calls[i].words[2] == "0x000000ff";
    EXPECT_TRUE(clearedBlue);
    EXPECT_EQ(lastValues(calls, "SetFloat", "drit.fx", "var1", present), std::vector<float>{1.0f});
}

TEST(Load, AssetsLoadInTheirOrder) {
    ShowRig rig;
    const std::vector<Call> calls = parse(rig.loadLines());
    // Textures: the loading picture, then the 28 of the stack in list order.
    std::vector<std::string> pictures;
    std::vector<unsigned> vertexCounts;
    for (const Call& c : calls) {
        if (c.is("D3DXCreateTextureFromFileA")) pictures.push_back(c.words[1]);
        if (c.is("CreateVertexBuffer")) vertexCounts.push_back(std::stoul(c.words[2]) / 32);
    }
    const std::vector<std::string> expected = {
        "loading", "ruffwick01", "char01", "floorbit", "floortexture", "floortexture2", "phong",
        "phong2", "colormap", "overlay02", "overlay03", "overlay04", "overlay05", "overlay06",
        "overlay07", "overlay08", "overlay09", "overlay10", "overlay11", "overlay12", "frames",
        "vobble", "trelkin", "ruffwick", "disco", "dancing", "greets", "vantroop", "marrowby"};
    ASSERT_EQ(pictures.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(pictures[i], "Tindermoot\\" + expected[i] + ".png");
    // Vertex buffers by size: loading quad, overlay quad, dancer grid, floor scene (a
    // box), floor tiles, screen grid, dancer (a quad), tunnel scene (box and plate), box,
    // text tiles, stencil (a quad), back tiles, planb scene (a box).
    const std::vector<unsigned> sizes = {4, 4, 24 * 32, 8, 19 * 19 * 6, 80 * 60, 4, 8, 4, 8,
                                         26 * 19 * 6, 4, 39 * 29 * 6, 8};
    EXPECT_EQ(vertexCounts, sizes);
}

TEST(Load, FadeFramesFollowTheWallClock) {
    // A fade of 0.2 s instead of the program's second: every fade value lies in
    // [1 - 0.2 - slack, 1] and they fall.
    Show::loadingFadeSeconds = 0.2;
    ShowRig rig;
    const std::vector<float> fades = floatsSet(parse(rig.loadLines()), "drit.fx", "var1");
    Show::loadingFadeSeconds = 0.0;
    ASSERT_GE(fades.size(), 2u);
    EXPECT_FLOAT_EQ(fades.front(), 1.0f);
    for (std::size_t i = 1; i < fades.size(); ++i) {
        EXPECT_LE(fades[i], fades[i - 1]);
        EXPECT_GT(fades[i], 0.7f);
    }
}

}  // namespace
}  // namespace showtest
