#include <cmath>

#include "assets/Mesh.h"
#include "render/Camera.h"
#include "render/TestDevice.h"

using testing_support::LineLog;
using testing_support::RecordingEffect;

namespace {

D3DXMATRIX lookAt(D3DXVECTOR3 eye, D3DXVECTOR3 at, D3DXVECTOR3 up) {
    D3DXMATRIX m;
    D3DXMatrixLookAtLH(&m, &eye, &at, &up);
    return m;
}

D3DXMATRIX perspective(float fov, float aspect, float zn, float zf) {
    D3DXMATRIX m;
    D3DXMatrixPerspectiveFovLH(&m, fov, aspect, zn, zf);
    return m;
}

// Writes keys into a track through a memory stream, as a camera file would.
template <class Track, class Key>
void fill(Track& track, const std::vector<Key>& keys) {
    std::FILE* f = fmemopen(const_cast<Key*>(keys.data()), keys.size() * sizeof(Key), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(track.readFrom(f, static_cast<std::uint32_t>(keys.size())));
    std::fclose(f);
}

class CameraTest : public ::testing::Test {
protected:
    LineLog log;
    RecordingEffect fx{&log};
    Effect effect;
    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
        effect.compiled = &fx;
        gDisplaySettings = DisplaySettings{};
    }
    void TearDown() override { effect.compiled = nullptr; }
};

TEST_F(CameraTest, ScreenMatricesAreIdentityAndOrtho) {
    setScreenMatrices(&effect);
    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 640, 480, -100, 100000);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"SetMatrix matView", "SetMatrix matProjection",
                                                    "SetMatrix matViewProjection"}));
    EXPECT_TRUE(fx.matrices["matView"] == IDENTITY_MATRIX);
    EXPECT_TRUE(fx.matrices["matProjection"] == ortho);
    EXPECT_TRUE(fx.matrices["matViewProjection"] == ortho);
    EXPECT_TRUE(currentProjection == ortho);
}

TEST_F(CameraTest, ScreenMatricesLeaveViewProjectionAlone) {
    const D3DXMATRIX marker(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1);
    currentViewProjection = marker;
    setScreenMatrices(nullptr);  // an empty holder still sets the current matrices
    EXPECT_TRUE(currentViewProjection == marker);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(currentView == identity);
}

TEST_F(CameraTest, FixedModeIgnoresTimeAndSendsEverything) {
    Camera camera;
    camera.up = D3DXVECTOR3(0, 0, 1);
    camera.setShot(10, -20, 5, 0, 0, 1, 0.9f);
    EXPECT_TRUE(camera.apply(&effect, 0x1F, 123.0f));
    const D3DXMATRIX view = lookAt({10, -20, 5}, {0, 0, 1}, {0, 0, 1});
    const D3DXMATRIX proj = perspective(0.9f, 4.0f / 3.0f, 1.0f, 10000.0f);
    EXPECT_TRUE(fx.matrices["matView"] == view);
    EXPECT_TRUE(fx.matrices["matProjection"] == proj);
    EXPECT_TRUE(fx.matrices["matViewProjection"] == view * proj);
    EXPECT_TRUE(currentViewProjection == view * proj);
    EXPECT_EQ(fx.arrays["CameraPosition"], (std::vector<float>{10, -20, 5}));
    EXPECT_EQ(fx.arrays["CameraTarget"], (std::vector<float>{0, 0, 1}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"SetMatrix matView", "SetMatrix matProjection",
                                                    "SetMatrix matViewProjection",
                                                    "SetFloatArray CameraPosition",
                                                    "SetFloatArray CameraTarget"}));
}

TEST_F(CameraTest, TrackedModeAtOnePointFiveUsesSample45) {
    Camera camera;
    std::vector<D3DXVECTOR3> eyes, targets;
    std::vector<float> fovs;
    for (int k = 0; k < 60; ++k) {
        eyes.emplace_back(static_cast<float>(k), 100.0f, 3.0f);
        targets.emplace_back(0.0f, static_cast<float>(k) * 0.5f, 0.0f);
        fovs.push_back(0.5f + k * 0.01f);
    }
    fill(camera.positionTrack, eyes);
    fill(camera.targetTrack, targets);
    fill(camera.fovTrack, fovs);
    EXPECT_TRUE(camera.apply(&effect, 0x0F, 1.5f));
    EXPECT_TRUE(fx.matrices["matView"] == lookAt(eyes[45], targets[45], {0, 1, 0}));
    EXPECT_TRUE(fx.matrices["matProjection"] == perspective(fovs[45], 4.0f / 3.0f, 1, 10000));
    EXPECT_EQ(fx.arrays["CameraPosition"], (std::vector<float>{45, 100, 3}));
}

TEST_F(CameraTest, ProjectionOnlyKeepsThePreviousView) {
    Camera camera;
    camera.setShot(1, 2, 3, 0, 0, 0, 0.8f);
    const D3DXMATRIX marker(3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 1, 2, 3, 1);
    currentView = marker;
    EXPECT_TRUE(camera.apply(&effect, CAMERA_PROJECTION | CAMERA_FIXED, 0));
    EXPECT_TRUE(currentView == marker);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"SetMatrix matProjection"}));
}

TEST_F(CameraTest, AspectRatioComesFromTheDisplaySettings) {
    gDisplaySettings.aspectRatio = 16.0f / 9.0f;
    Camera camera;
    camera.setShot(0, 0, -10, 0, 0, 0, 0.8f);
    camera.apply(&effect, CAMERA_PROJECTION | CAMERA_FIXED, 0);
    EXPECT_FLOAT_EQ(currentProjection._11, currentProjection._22 / (16.0f / 9.0f));
    EXPECT_FLOAT_EQ(currentProjection._22, 1.0f / std::tan(0.4f));
}

TEST_F(CameraTest, FailedSendIsReportedOnceAndMatricesStillStored) {
    fx.setResult = D3DERR_INVALIDCALL;
    Camera camera;
    camera.setShot(0, 0, -10, 0, 0, 0, 0.8f);
    EXPECT_FALSE(camera.apply(&effect, 0x1F, 0));
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "Sending Matrices");
    EXPECT_STREQ(win32::lastMessageBox().text, "InvalidCall With Camera");
    EXPECT_TRUE(currentView == lookAt({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
}

TEST_F(CameraTest, EmptyEffectHolderSendsNothingButStoresMatrices) {
    Effect empty;
    Camera camera;
    camera.setShot(0, 5, -10, 0, 0, 0, 0.7f);
    EXPECT_TRUE(camera.apply(&empty, 0x1F, 0));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(currentView == lookAt({0, 5, -10}, {0, 0, 0}, {0, 1, 0}));
}

TEST_F(CameraTest, ReleaseFreesTheTrackKeys) {
    Camera camera;
    fill(camera.fovTrack, std::vector<float>{0.5f, 0.6f});
    camera.release();
    EXPECT_EQ(camera.fovTrack.count, 0u);
    EXPECT_EQ(camera.fovTrack.keys, nullptr);
}

}  // namespace
