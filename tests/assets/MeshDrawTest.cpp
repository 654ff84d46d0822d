#include <filesystem>
#include <fstream>

#include "assets/MaterialList.h"
#include "assets/Mesh.h"
#include "render/Camera.h"
#include "render/Grids.h"
#include "render/TestDevice.h"

using testing_support::RecordingEffect;
using testing_support::TraceDeviceTest;

namespace {

class MeshDraw : public TraceDeviceTest {
protected:
    RecordingEffect fx{&log, 3};
    Effect effect;
    Mesh quad;
    void SetUp() override {
        TraceDeviceTest::SetUp();
        effect.compiled = &fx;
        buildGridMesh(quad, 2, 2, 644, 484, -322, -242);
        log.lines.clear();
    }
    void TearDown() override {
        quad.release();
        effect.compiled = nullptr;
        TraceDeviceTest::TearDown();
    }
    // The effect's pass calls and the draws, in order.
    std::vector<std::string> passes() const {
        std::vector<std::string> out;
        for (const std::string& l : log.lines)
            if (l.rfind("Begin", 0) == 0 || l.rfind("End", 0) == 0 || l.rfind("DrawIndexedPrimitive", 0) == 0 ||
                l.rfind("SetTechnique", 0) == 0)
                out.push_back(l.rfind("DrawIndexedPrimitive", 0) == 0 ? "Draw" : l);
        return out;
    }
};

TEST_F(MeshDraw, SinglePassBelowTheCountDrawsOnce) {
    quad.draw({"Tech", &effect, 1, 0});
    EXPECT_EQ(passes(), (std::vector<std::string>{"SetTechnique Tech", "Begin 0", "BeginPass 1",
                                                  "Draw", "EndPass", "End"}));
}

TEST_F(MeshDraw, PassTwoFiftyFiveDrawsEveryPassInOrder) {
    quad.draw({"Tech", &effect, 255, 0});
    EXPECT_EQ(passes(), (std::vector<std::string>{"SetTechnique Tech", "Begin 0", "BeginPass 0", "Draw",
                                                  "EndPass", "BeginPass 1", "Draw", "EndPass",
                                                  "BeginPass 2", "Draw", "EndPass", "End"}));
}

TEST_F(MeshDraw, PassAtOrBeyondTheCountDrawsEveryPass) {
    quad.draw({"Tech", &effect, 3, 0});
    EXPECT_EQ(log.count("BeginPass"), 3u);
    log.lines.clear();
    quad.draw({"Tech", &effect, 200, 0});
    EXPECT_EQ(log.count("BeginPass"), 3u);
    EXPECT_EQ(log.count("DrawIndexedPrimitive"), 3u);
}

TEST_F(MeshDraw, DrawCallCoversTheWholeMeshAsATriangleList) {
    quad.draw({"Tech", &effect, 0, 0});
    const auto draws = log.starting("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0], "DrawIndexedPrimitive D3DPT_TRIANGLELIST 0 0 4 0 2");
}

TEST_F(MeshDraw, MatricesAndBuffersComeBeforeTheTechnique) {
    quad.draw({"Tech", &effect, 0, 0});
    std::vector<std::string> order;
    for (const std::string& l : log.lines) order.push_back(l.substr(0, l.find(' ', l.find(' ') + 1)));
    const std::vector<std::string> expectedPrefix = {
        "SetMatrix matWorld", "SetMatrix matWorldView", "SetMatrix matWorldViewProjection",
        "SetMatrix matMirror"};
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 4), expectedPrefix);
    auto at = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < log.lines.size(); ++i)
            if (log.lines[i].rfind(prefix, 0) == 0) return static_cast<long>(i);
        return -1L;
    };
    EXPECT_LT(at("SetMatrix matMirror"), at("SetStreamSource"));
    EXPECT_LT(at("SetStreamSource"), at("SetVertexDeclaration"));
    EXPECT_LT(at("SetVertexDeclaration"), at("SetIndices"));
    EXPECT_LT(at("SetIndices"), at("SetTechnique"));
    EXPECT_EQ(log.count("CommitChanges"), 0u);
}

TEST_F(MeshDraw, NullEffectOnANeverDrawnMeshDrawsAndSendsNothing) {
    quad.draw({"Tech", nullptr, 255, 1});
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(MeshDraw, NullEffectReusesTheLastOne) {
    quad.draw({"Tech", &effect, 0, 0});
    log.lines.clear();
    quad.draw({"Other", nullptr, 0, 0});
    EXPECT_EQ(log.count("SetTechnique Other"), 1u);
    EXPECT_EQ(quad.effect, &effect);
}

TEST_F(MeshDraw, EmptyEffectHolderIsSkipped) {
    Effect empty;
    quad.draw({"Tech", &empty, 255, 0});
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(log.count("DrawIndexedPrimitive"), 0u);
}

TEST_F(MeshDraw, EmptyMeshDrawsNothing) {
    Mesh empty;
    empty.draw({"Tech", &effect, 255, 0});
    EXPECT_EQ(log.count("DrawIndexedPrimitive"), 0u);
    EXPECT_EQ(log.count("Begin"), 0u);
}

TEST_F(MeshDraw, MaterialTexturesOnlyWithFlagBitZero) {
    MaterialList list;
    list.textureCount = 2;
    list.textures = new IDirect3DTexture9*[2]{nullptr, nullptr};
    quad.materials = &list;
    quad.draw({"Tech", &effect, 0, 0});
    EXPECT_EQ(log.count("SetTexture"), 0u);
    quad.draw({"Tech", &effect, 0, 1});
    EXPECT_EQ(log.starting("SetTexture"), (std::vector<std::string>{"SetTexture tex0 null", "SetTexture tex1 null"}));
    quad.materials = nullptr;
}

// Matrices a mesh sends, at the identity and under a camera.
class MeshMatrices : public MeshDraw {};

TEST_F(MeshMatrices, IdentityWorldUnderACamera) {
    Camera camera;
    camera.setShot(3, -7, 4, 0, 1, 0, 0.8f);
    camera.up = D3DXVECTOR3(0, 0, 1);
    camera.apply(nullptr, 0x1F, 0);
    quad.setMatrices(&effect);
    const D3DXMATRIX view = currentView;
    const D3DXMATRIX proj = currentProjection;
    EXPECT_TRUE(fx.matrices["matWorld"] == IDENTITY_MATRIX);
    EXPECT_TRUE(fx.matrices["matWorldView"] == view * IDENTITY_MATRIX);
    EXPECT_TRUE(fx.matrices["matWorldViewProjection"] == IDENTITY_MATRIX * view * proj);
    const D3DXMATRIX flip = scalingMatrix({1, 1, -1});
    EXPECT_TRUE(fx.matrices["matMirror"] == flip * view * proj);
}

TEST_F(MeshMatrices, WorldViewIsViewTimesWorld) {
    Camera camera;
    camera.setShot(3, -7, 4, 0, 1, 0, 0.8f);
    camera.apply(nullptr, 0x1F, 0);
    quad.base = yawPitchRollMatrix({0.3f, 0.2f, 0.1f}) * translationMatrix({5, 6, 7});
    quad.animate(0);
    quad.setMatrices(&effect);
    const D3DXMATRIX& w = quad.world;
    EXPECT_TRUE(fx.matrices["matWorld"] == w);
    EXPECT_TRUE(fx.matrices["matWorldView"] == currentView * w);
    EXPECT_FALSE(fx.matrices["matWorldView"] == w * currentView);  // they do not commute here
    EXPECT_TRUE(fx.matrices["matWorldViewProjection"] == w * currentView * currentProjection);
    EXPECT_TRUE(fx.matrices["matMirror"] ==
                w * scalingMatrix({1, 1, -1}) * currentView * currentProjection);
}

TEST_F(MeshMatrices, SetMatricesWithoutAnyEffectSendsNothing) {
    Mesh fresh;
    fresh.setMatrices(nullptr);
    EXPECT_TRUE(log.lines.empty());
}

}  // namespace

namespace {

// The same loop through a real effect file on the trace backend.
TEST_F(TraceDeviceTest, PassLoopThroughACompiledEffect) {
    const std::string dir = "test-files/";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "TwoPass.fx";
    std::ofstream(path) << "float4x4 matWorldViewProjection;\n"
                           "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), matWorldViewProjection); }\n"
                           "float4 PS() : COLOR { return float4(1, 1, 1, 1); }\n"
                           "technique Two { pass A { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }\n"
                           "                pass B { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";
    Effect effect;
    effect.load(path.c_str());
    ASSERT_NE(effect.compiled, nullptr) << win32::lastMessageBox().text;
    Mesh quad;
    buildGridMesh(quad, 2, 2, 644, 484, -322, -242);
    log.lines.clear();
    quad.draw({"Two", &effect, 7, 0});
    std::vector<std::string> calls;
    for (const std::string& l : log.lines)
        if (l.rfind("BeginPass", 0) == 0 || l.rfind("EndPass", 0) == 0 || l.rfind("DrawIndexed", 0) == 0 ||
            l.rfind("Begin ", 0) == 0 || l.rfind("End ", 0) == 0)
            calls.push_back(l.substr(0, l.find(' ')));
    EXPECT_EQ(calls, (std::vector<std::string>{"Begin", "BeginPass", "DrawIndexedPrimitive", "EndPass", "BeginPass",
                                               "DrawIndexedPrimitive", "EndPass", "End"}))
        << ::testing::PrintToString(log.lines);
    EXPECT_EQ(log.count("SetMatrix"), 4u);
    quad.release();
    effect.release();
}

}  // namespace
