#include <cfloat>
#include <cmath>

#include "assets/DataFiles.h"
#include "assets/Scene.h"
#include "render/TestDevice.h"
#include "render/TestFiles.h"

using namespace testing_support;

namespace {

class SceneTest : public TraceDeviceTest {
protected:
    std::string dir;
    RecordingEffect fx{&log, 2};
    Effect effect;
    void SetUp() override {
        TraceDeviceTest::SetUp();
        dir = scratchFolder();
        effect.compiled = &fx;
        MeshFile animated = quadMesh(0, 0, 1, 1, 0);
        animated.materialIndex = 0;
        animated.keys.positions = {{1, 0, 0}};
        animated.keys.rotations = {{0, 0, 0, 1}};
        animated.keys.scales = {{1, 1, 1}};
        ASSERT_TRUE(writeFile(dir + "body.mesh", animated.bytes().data));
        MeshFile second = animated;
        second.materialIndex = 1;
        second.keys.positions = {{0, 2, 0}};
        ASSERT_TRUE(writeFile(dir + "arm.mesh", second.bytes().data));
        ASSERT_TRUE(writePng(dir + "skin.png", 2, 2, 0xFF8000FF));
        ASSERT_TRUE(writeFile(dir + "skin.material", materialListBytes({"skin.png"}, 1).data));
        ASSERT_TRUE(writeFile(dir + "lamp.light", lightBytes({{1, 2, 3}, {4, 5, 6}}).data));
        ASSERT_TRUE(writeFile(dir + "view.camera",
                              cameraBytes(2.0f, 500.0f, {0.75f}, {{0, -10, 0}, {0, -20, 0}},
                                          {{0, 0, 0}, {0, 0, 1}}).data));
    }
    void TearDown() override {
        effect.compiled = nullptr;
        TraceDeviceTest::TearDown();
    }
    std::string writeScene(const std::string& text, const std::string& name = "test.scene") {
        EXPECT_TRUE(writeText(dir + name, text));
        return dir + name;
    }
};

TEST_F(SceneTest, EveryKindOfLineBuildsItsNode) {
    const std::string scene = sceneLine(0, "skin.material", 0) + sceneLine(10, "body.mesh", 0) +
                              sceneLine(11, "arm.mesh", 10) + sceneLine(0, "lamp.light", 11) +
                              sceneLine(0, "view.camera", 0) + "\xFF";
    Scene s;
    s.load(writeScene(scene).c_str(), &effect);
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().caption << ": "
                                            << win32::lastMessageBox().text;
    ASSERT_EQ(s.meshes.size(), 2u);
    ASSERT_EQ(s.materialLists.size(), 1u);
    ASSERT_EQ(s.lights.size(), 1u);
    ASSERT_EQ(s.cameras.size(), 1u);
    EXPECT_EQ(s.meshes[0]->id, 10);
    EXPECT_EQ(s.meshes[1]->id, 11);
    EXPECT_EQ(s.meshes[0]->effect, &effect);
    EXPECT_EQ(s.meshes[0]->parent, nullptr);
    EXPECT_EQ(s.meshes[1]->parent, s.meshes[0]);
    EXPECT_EQ(s.meshes[0]->materials, s.materialLists[0]);
    EXPECT_EQ(s.meshes[1]->materials, nullptr);  // index 1: only one list loaded
    EXPECT_EQ(s.lights[0]->parent, s.meshes[1]);
    EXPECT_EQ(s.lights[0]->id, 0);
    EXPECT_EQ(s.lights[0]->positionTrack.count, 2u);
    const Camera& cam = *s.cameras[0];
    EXPECT_EQ(cam.nearPlane, 2.0f);
    EXPECT_EQ(cam.farPlane, 500.0f);
    EXPECT_EQ(cam.fovTrack.count, 1u);
    EXPECT_EQ(cam.positionTrack.count, 2u);
    EXPECT_EQ(cam.targetTrack.count, 2u);
    EXPECT_EQ(cam.targetTrack.keys[1], D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(cam.up, D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(s.findMesh(11), s.meshes[1]);
    EXPECT_EQ(s.findMesh(12), nullptr);
}

TEST_F(SceneTest, CameraFileOfSixtyEightBytes) {
    std::vector<std::uint8_t> bytes;
    {
        std::FILE* f = std::fopen((dir + "view.camera").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::fseek(f, 0, SEEK_END);
        EXPECT_EQ(std::ftell(f), 68);
        std::fclose(f);
    }
    Camera camera;
    readCameraFile(camera, (dir + "view.camera").c_str());
    EXPECT_EQ(camera.fovTrack.sample(0), 0.75f);
    EXPECT_EQ(camera.fovTrack.sample(10), 0.75f);
}

TEST_F(SceneTest, CarriageReturnLineFeedParsesLikeLineFeed) {
    std::string lf = sceneLine(0, "skin.material", 0) + sceneLine(10, "body.mesh", 0) +
                     sceneLine(11, "arm.mesh", 10);
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Scene a, b;
    a.load(writeScene(lf + "\xFF", "lf.scene").c_str(), &effect);
    b.load(writeScene(crlf + "\xFF", "crlf.scene").c_str(), &effect);
    EXPECT_EQ(win32::messageBoxCount(), 0u) << win32::lastMessageBox().text;
    ASSERT_EQ(a.meshes.size(), 2u);
    ASSERT_EQ(b.meshes.size(), 2u);
    EXPECT_EQ(b.meshes[1]->id, 11);
    EXPECT_EQ(b.meshes[1]->parent, b.meshes[0]);
    EXPECT_EQ(b.meshes[0]->materials, b.materialLists[0]);
}

TEST_F(SceneTest, NothingIsReadAfterTheEndByte) {
    const std::string scene = sceneLine(10, "body.mesh", 0) + "\xFF" + sceneLine(11, "arm.mesh", 0) + "\xFF";
    Scene s;
    s.load(writeScene(scene).c_str(), &effect);
    EXPECT_EQ(s.meshes.size(), 1u);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
}

TEST_F(SceneTest, UnfinishedLineBeforeTheEndByteIsDroppedAndReported) {
    const std::string scene = sceneLine(10, "body.mesh", 0) + "  11arm.mesh   0\xFF";
    Scene s;
    s.load(writeScene(scene).c_str(), &effect);
    EXPECT_EQ(s.meshes.size(), 1u);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    const std::string text = win32::lastMessageBox().text;
    EXPECT_NE(text.find("line 2"), std::string::npos) << text;
    EXPECT_NE(text.find("end byte"), std::string::npos) << text;
}

TEST_F(SceneTest, UnknownKindsAreReportedAndSkipped) {
    const std::string seven = sceneLine(1, "thing.texture", 0);  // 7-letter extension
    const std::string nodot = sceneLine(2, "abcdefghijk", 0);     // no dot, 19 characters
    Scene s;
    s.load(writeScene(seven + nodot + "\xFF").c_str(), &effect);
    EXPECT_EQ(win32::messageBoxCount(), 2u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Type Unknown");
    EXPECT_EQ(std::string(win32::lastMessageBox().text) + "\n", nodot);
    EXPECT_TRUE(s.meshes.empty());
    EXPECT_TRUE(s.lights.empty());
    EXPECT_TRUE(s.cameras.empty());
    EXPECT_TRUE(s.materialLists.empty());
}

TEST_F(SceneTest, LineOfNineWithoutADotIsAMesh) {
    Scene s;
    s.load(writeScene("   7x   0\n\xFF").c_str(), &effect);
    ASSERT_EQ(s.meshes.size(), 1u);  // its file "x" cannot be opened, the node is kept
    EXPECT_EQ(s.meshes[0]->id, 7);
    EXPECT_EQ(s.meshes[0]->effect, &effect);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Failed To Open The MeshFile");
}

TEST_F(SceneTest, MaterialListAfterTheMeshIsNotLinked) {
    Scene s;
    s.load(writeScene(sceneLine(10, "body.mesh", 0) + sceneLine(0, "skin.material", 0) + "\xFF").c_str(),
           &effect);
    ASSERT_EQ(s.meshes.size(), 1u);
    EXPECT_EQ(s.meshes[0]->materialIndex, 0u);
    EXPECT_EQ(s.meshes[0]->materials, nullptr);
}

TEST_F(SceneTest, FindMeshReturnsTheFirstOfEqualIds) {
    Scene s;
    s.load(writeScene(sceneLine(5, "body.mesh", 0) + sceneLine(5, "arm.mesh", 0) + sceneLine(6, "arm.mesh", 5) + "\xFF").c_str(),
           &effect);
    ASSERT_EQ(s.meshes.size(), 3u);
    EXPECT_EQ(s.findMesh(5), s.meshes[0]);
    EXPECT_EQ(s.meshes[2]->parent, s.meshes[0]);
}

TEST_F(SceneTest, ParentIdWithoutAMeshLeavesARoot) {
    Scene s;
    s.load(writeScene(sceneLine(5, "body.mesh", 99) + "\xFF").c_str(), &effect);
    ASSERT_EQ(s.meshes.size(), 1u);
    EXPECT_EQ(s.meshes[0]->parent, nullptr);
}

TEST_F(SceneTest, MeshNamingItselfAsParentStaysARoot) {
    Scene s;
    s.load(writeScene(sceneLine(5, "body.mesh", 5) + "\xFF").c_str(), &effect);
    ASSERT_EQ(s.meshes.size(), 1u);
    EXPECT_EQ(s.meshes[0]->parent, nullptr);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_NE(std::string(win32::lastMessageBox().text).find("itself"), std::string::npos);
}

TEST_F(SceneTest, MissingEndByteIsReportedAndCompleteLinesKept) {
    Scene s;
    const std::string path = writeScene(sceneLine(10, "body.mesh", 0) + "  11arm.me");
    s.load(path.c_str(), &effect);
    EXPECT_EQ(s.meshes.size(), 1u);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    const std::string text = win32::lastMessageBox().text;
    EXPECT_NE(text.find(path), std::string::npos);
    EXPECT_NE(text.find("0xFF"), std::string::npos) << text;
}

TEST_F(SceneTest, ShortAndLongLinesAreSkippedWithOneBox) {
    const std::string longName = std::string(260, 'a') + ".mesh";
    Scene s;
    s.load(writeScene("12345\n" + sceneLine(1, longName, 0) + sceneLine(10, "body.mesh", 0) + "\xFF").c_str(),
           &effect);
    EXPECT_EQ(s.meshes.size(), 1u);
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    const std::string text = win32::lastMessageBox().text;
    EXPECT_NE(text.find("line 1"), std::string::npos) << text;
    EXPECT_NE(text.find("1 more"), std::string::npos) << text;
}

TEST_F(SceneTest, MissingSceneFile) {
    Scene s;
    const std::string path = dir + "none.scene";
    s.load(path.c_str(), &effect);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Problems With File");
    EXPECT_EQ(win32::lastMessageBox().text, path);
    s.draw("Tech", &effect, 0, 0);
    EXPECT_EQ(log.count("Begin"), 0u);
}

TEST_F(SceneTest, DrawAnimatesAndDrawsEveryMeshWithItsTextures) {
    Scene s;
    s.load(writeScene(sceneLine(0, "skin.material", 0) + sceneLine(10, "body.mesh", 0) +
                      sceneLine(11, "arm.mesh", 10) + "\xFF").c_str(),
           &effect);
    log.lines.clear();
    s.draw("PlanB", nullptr, 1.0f, 257);  // 257 mod 256 = pass 1
    EXPECT_EQ(log.count("SetTechnique PlanB"), 2u);
    EXPECT_EQ(log.starting("BeginPass"), (std::vector<std::string>{"BeginPass 1", "BeginPass 1"}));
    EXPECT_EQ(log.count("SetTexture tex0 set"), 1u);  // only the first mesh has materials
    // The child's world composes its local with its parent's.
    EXPECT_TRUE(s.meshes[1]->world == s.meshes[1]->local * s.meshes[0]->local);
    EXPECT_TRUE(fx.matrices["matWorld"] == s.meshes[1]->world);
}

TEST_F(SceneTest, LightDefaultsAndUnknownType) {
    LightNode light;
    light.load((dir + "lamp.light").c_str());
    EXPECT_EQ(light.light.type, 1u);
    EXPECT_EQ(light.light.diffuse.r, 1.0f);
    EXPECT_EQ(light.light.diffuse.a, 0.0f);
    EXPECT_EQ(light.light.specular.g, 1.0f);
    EXPECT_EQ(light.light.ambient.b, 0.0f);
    EXPECT_EQ(light.light.range, std::sqrt(FLT_MAX));
    EXPECT_FLOAT_EQ(light.light.range, 1.8446743e19f);
    EXPECT_EQ(light.light.attenuation0, 1.0f);
    EXPECT_EQ(light.light.attenuation1, 0.001f);
    EXPECT_EQ(light.light.attenuation2, 0.0f);
    EXPECT_EQ(light.light.theta, 0.0f);
    EXPECT_EQ(light.positionTrack.count, 2u);
    light.setLightType(2);
    EXPECT_STREQ(win32::lastMessageBox().caption, "FuckHead");
    EXPECT_STREQ(win32::lastMessageBox().text, "Type Does Not Exist [2]\n");
    EXPECT_EQ(light.light.type, 1u);
}

TEST_F(SceneTest, BrokenNodeFilesAreReportedAndNodesKeptEmpty) {
    Bytes light = lightBytes({{1, 2, 3}});
    light.data[24] = 0xFF;  // K far beyond the file
    ASSERT_TRUE(writeFile(dir + "bad.light", light.data));
    Bytes camera = cameraBytes(1, 100, {0.5f}, {{0, 0, 0}}, {{0, 0, 1}});
    camera.data.erase(camera.data.end() - 6, camera.data.end());
    ASSERT_TRUE(writeFile(dir + "bad.camera", camera.data));
    Scene s;
    s.load(writeScene(sceneLine(0, "bad.light", 0) + sceneLine(0, "bad.camera", 0) + "\xFF").c_str(), &effect);
    ASSERT_EQ(s.lights.size(), 1u);
    ASSERT_EQ(s.cameras.size(), 1u);
    EXPECT_EQ(s.lights[0]->positionTrack.count, 0u);
    EXPECT_EQ(s.lights[0]->light.type, 1u);
    EXPECT_EQ(s.cameras[0]->targetTrack.count, 0u);
    EXPECT_EQ(s.cameras[0]->nearPlane, 1.0f);  // defaults kept
    EXPECT_EQ(win32::messageBoxCount(), 2u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Bad Data File");
}

TEST_F(SceneTest, ReleaseEmptiesEveryList) {
    Scene s;
    s.load(writeScene(sceneLine(0, "skin.material", 0) + sceneLine(10, "body.mesh", 0) +
                      sceneLine(0, "lamp.light", 0) + sceneLine(0, "view.camera", 0) + "\xFF").c_str(),
           &effect);
    s.release();
    EXPECT_TRUE(s.meshes.empty());
    EXPECT_TRUE(s.lights.empty());
    EXPECT_TRUE(s.cameras.empty());
    EXPECT_TRUE(s.materialLists.empty());
}

}  // namespace
