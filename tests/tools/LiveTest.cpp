// The live tool's pieces that decide things: where the keys lead, what a changed file
// reloads, the folder watch, and reloading an effect through its holder (kept in place,
// last good version kept on an error, no memory left behind over many reloads).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "LiveReload.h"
#include "LiveTimeline.h"
#include "LiveWatch.h"
#include "ShowHost.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/win32/messagebox.h"
#include "render/Grids.h"
#include "show/Show.h"

namespace fs = std::filesystem;
using namespace tool;

namespace {

constexpr double kLength = 161.5;

TEST(LiveTimeline, StepKeys) {
    const TimeModifiers none{}, shift{true, false}, ctrl{false, true};
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Forward, none, false, 60.0, kLength), 61.0);
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Back, shift, false, 60.0, kLength), 55.0);
    EXPECT_NEAR(seekTarget(TimeKey::Forward, ctrl, true, 60.0, kLength), 60.0 + 1.0 / 60.0, 1e-12);
    // Frame steps are for a paused picture; playing, Ctrl steps as the plain key.
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Back, ctrl, false, 60.0, kLength), 59.0);
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Back, shift, false, 2.0, kLength), 0.0);
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Forward, shift, false, 159.0, kLength), kLength);
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::Home, none, false, 99.0, kLength), 0.0);
}

TEST(LiveTimeline, SceneKeysLandInsideTheScene) {
    const TimeModifiers none{};
    const double next = seekTarget(TimeKey::NextScene, none, false, 10.0, kLength);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(next)), 1);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(next - 0.01)), 0);
    // Page Up: the start of this scene, and once there, the one before.
    const double start = seekTarget(TimeKey::PreviousScene, none, false, 65.0, kLength);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(start)), 2);
    EXPECT_LT(start, 59.0);
    const double before = seekTarget(TimeKey::PreviousScene, none, false, start + 0.1, kLength);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(before)), 1);
    EXPECT_LT(before, 29.5);
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::PreviousScene, none, false, 0.2, kLength), 0.0);
    // The music runs on past the last span: that is still the finale, and the end is next.
    EXPECT_DOUBLE_EQ(seekTarget(TimeKey::NextScene, none, false, 161.0, kLength), kLength);
}

TEST(LiveTimeline, LoopOverTheCurrentScene) {
    const SceneSpan tunnel = sceneSpanOf(65.0, kLength);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(tunnel.start)), 2);
    EXPECT_EQ(sceneIndexOf(static_cast<float>(tunnel.end)), 2);
    EXPECT_LT(loopRestart(tunnel, 70.0), 0.0);
    EXPECT_DOUBLE_EQ(loopRestart(tunnel, tunnel.end + 0.01), tunnel.start);
    // Seeking out of the loop comes back to it.
    EXPECT_DOUBLE_EQ(loopRestart(tunnel, 10.0), tunnel.start);
    const SceneSpan finale = sceneSpanOf(150.0, kLength);
    EXPECT_DOUBLE_EQ(finale.end, kLength);
}

TEST(LiveReload, ChangedFilesMapToTheirObjects) {
    auto only = [](const char* path) {
        const std::vector<ReloadTarget> t = reloadTargets(path);
        return t.size() == 1 ? t[0] : ReloadTarget{ReloadKind::Sync, -1, nullptr};
    };
    EXPECT_EQ(only("Tindermoot/cyl.fx").kind, ReloadKind::Effect);
    EXPECT_STREQ(only("./Tindermoot/CYL.FX").path, "Tindermoot\\cyl.fx");
    EXPECT_EQ(only("Tindermoot/Rari.sync").kind, ReloadKind::Sync);
    EXPECT_EQ(only("Tindermoot/floorbit.png").kind, ReloadKind::Textures);
    EXPECT_STREQ(only("Tindermoot\\tun\\ring.mesh").path, "Tindermoot\\tun\\cyl.SCENE.scene");
    EXPECT_STREQ(only("Tindermoot/Floor/spot.light").path, "Tindermoot\\Floor\\Floor.SCENE.scene");
    EXPECT_STREQ(only("Tindermoot/box/box.material").path, "Tindermoot\\box\\box.SCENEBox01.mesh");
    EXPECT_EQ(only("Tindermoot/st/sten.SCENEPlane02.mesh").kind, ReloadKind::Mesh);
    for (const char* ignored : {"Tindermoot/Pellmoor.mp3", "Tindermoot/loading.png", "Tindermoot/notes.txt",
                                "elsewhere/cyl.fx", "Tindermoot/old/cyl.fx"})
        EXPECT_TRUE(reloadTargets(ignored).empty()) << ignored;
}

struct TempFolder {
    fs::path path;
    TempFolder() {
        char name[] = "/tmp/live-test-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { fs::remove_all(path); }
    void write(const fs::path& relative, const std::string& text) const {
        fs::create_directories((path / relative).parent_path());
        std::ofstream(path / relative) << text;
    }
};

TEST(LiveWatch, SeesWritesRenamesAndNewFolders) {
    TempFolder dir;
    dir.write("Tindermoot/a.fx", "one");
    FolderWatch watch;
    ASSERT_TRUE(watch.start((dir.path / "Tindermoot").string()));
    EXPECT_TRUE(watch.changes().empty());
    dir.write("Tindermoot/a.fx", "two");
    dir.write("Tindermoot/a.fx", "three");
    dir.write("Tindermoot/.new", "x");
    fs::rename(dir.path / "Tindermoot/.new", dir.path / "Tindermoot/b.png");
    fs::create_directories(dir.path / "Tindermoot/sub");
    const std::string root = (dir.path / "Tindermoot").string();
    // Each file once; the temporary file renamed away is gone and not told.
    EXPECT_EQ(watch.changes(), (std::vector<std::string>{root + "/a.fx", root + "/b.png"}));
    // The new folder is watched from when it was seen.
    dir.write("Tindermoot/sub/c.mesh", "m");
    EXPECT_EQ(watch.changes(), (std::vector<std::string>{root + "/sub/c.mesh"}));
}

const char* const kEffect =
    "float4x4 matWorldViewProjection;\n"
    "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), matWorldViewProjection); }\n"
    "float4 PS() : COLOR { return float4(1, 0, 0, 1); }\n"
    "technique DiscoCylinder { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";

long residentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class LiveEffectReload : public ::testing::Test {
protected:
    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        d3d9::BackendConfig config;
        config.headless = true;
        d3d9::configure(config);
        gDisplaySettings.displayMode = D3DDISPLAYMODE{64, 64, 60, D3DFMT_X8R8G8B8};
        if (!createDevice(DeviceOptions{64, 64, 0})) GTEST_SKIP() << "no headless OpenGL";
        previous_ = fs::current_path();
        fs::current_path(dir_.path);
        dir_.write("Tindermoot/cyl.fx", kEffect);
    }
    void TearDown() override {
        if (!previous_.empty()) fs::current_path(previous_);
        releaseDevice();
    }
    TempFolder dir_;
    fs::path previous_;
};

TEST_F(LiveEffectReload, SwapsTheHolderContentAndKeepsTheLastGoodOne) {
    const ReloadTarget target = reloadTargets("Tindermoot/cyl.fx").at(0);
    {
        Show show;
        Effect* holder = &show.cylEffect;
        ASSERT_TRUE(reload(show, target).ok);
        ID3DXEffect* good = show.cylEffect.compiled;
        ASSERT_NE(good, nullptr);

        dir_.write("Tindermoot/cyl.fx", std::string(kEffect).replace(0, 8, "flaot4x4"));
        const ReloadOutcome broken = reload(show, target);
        EXPECT_FALSE(broken.ok);
        EXPECT_NE(broken.text.find("cyl.fx(1)"), std::string::npos) << broken.text;
        EXPECT_EQ(show.cylEffect.compiled, good);

        dir_.write("Tindermoot/cyl.fx", kEffect);
        EXPECT_TRUE(reload(show, target).ok);
        EXPECT_EQ(&show.cylEffect, holder);
        EXPECT_NE(show.cylEffect.compiled, nullptr);
        D3DXEFFECT_DESC desc{};
        EXPECT_TRUE(SUCCEEDED(show.cylEffect.compiled->GetDesc(&desc)));
        EXPECT_EQ(desc.Techniques, 1u);
    }
}

TEST_F(LiveEffectReload, TwoHundredReloadsKeepMemoryFlat) {
    const ReloadTarget target = reloadTargets("Tindermoot/cyl.fx").at(0);
    Show show;
    // Each save differs, as an edit does, so that every reload compiles afresh.
    auto save = [&](int i) {
        std::string text = kEffect;
        text.replace(text.find("float4(1, 0, 0, 1)"), 18, "float4(1, 0, " + std::to_string(i / 1000.0) + ", 1)");
        dir_.write("Tindermoot/cyl.fx", text);
    };
    // Each new effect is drawn with, as in the show, so that the driver's side of it
    // (program variants) is made and must go again too.
    buildGridMesh(show.screenGrid, 2, 2, 2.0f, 2.0f, -1.0f, -1.0f);
    auto reloadAndDraw = [&](int i) {
        save(i);
        const bool ok = reload(show, target).ok;
        gDevice->BeginScene();
        gDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        show.screenGrid.draw(DrawRequest{"DiscoCylinder", &show.cylEffect, DRAW_ALL_PASSES, 0});
        gDevice->EndScene();
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        return ok;
    };
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(reloadAndDraw(i));  // caches settle
    const long before = residentKb();
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(reloadAndDraw(100 + i));
    const long grown = residentKb() - before;
    std::printf("200 reloads: resident memory %+ld KiB\n", grown);
    EXPECT_LT(grown, 5 * 1024);
}

TEST_F(LiveEffectReload, APictureIsSwappedUnderItsName) {
    const ReloadTarget target = reloadTargets("Tindermoot/floorbit.png").at(0);
    const unsigned char pixels[4 * 4 * 4] = {255};
    const std::string png = (dir_.path / "Tindermoot/floorbit.png").string();
    ASSERT_TRUE(stbi_write_png(png.c_str(), 4, 4, 4, pixels, 16));
    Show show;
    // Missing at load (the stack skipped it), then saved: it is added.
    ASSERT_TRUE(reload(show, target).ok);
    IDirect3DTexture9* first = show.textures.find("floorTile");
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(reload(show, target).ok);
    EXPECT_EQ(show.textures.textureList.size(), 1u);
    EXPECT_NE(show.textures.find("floorTile"), nullptr);
    IDirect3DTexture9* second = show.textures.find("floorTile");
    dir_.write("Tindermoot/floorbit.png", "not a picture");
    EXPECT_FALSE(reload(show, target).ok);
    EXPECT_EQ(show.textures.find("floorTile"), second);
}

}  // namespace
