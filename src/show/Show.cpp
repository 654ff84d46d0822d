#include "show/Show.h"

#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/timer.h"
#include "render/Grids.h"
#include "show/ShowDraw.h"
#include "show/ShowFiles.h"
#include "show/ShowTextures.h"

using namespace show;

double Show::loadingFadeSeconds = 1.0;
void (*Show::loadStepHook)(const char* kind) = nullptr;

namespace {
void loaded(const char* kind) {
    if (Show::loadStepHook) Show::loadStepHook(kind);
}
}  // namespace

void Show::load() {
    // Without the data directory every loader below would fail with a box of its own; one
    // box says what is wrong instead, and the show runs empty.
    const DWORD data = GetFileAttributesA("Tindermoot");
    if (data == INVALID_FILE_ATTRIBUTES || !(data & FILE_ATTRIBUTE_DIRECTORY)) {
        MessageBoxA(nullptr,
                    "The data directory Tindermoot was not found in the directory the program "
                    "was started from, so there is nothing to show.",
                    "Tindermoot", MB_OK);
        return;
    }
    music.open(files::kMusic);
    loaded("music");
    sync.loadOrCapture(files::kSync, music, 8, 0.0f);
    loaded("sync");
    buildGridMesh(loadingQuad, 2, 2, 644.0f, 484.0f, -322.0f, -242.0f);
    loaded("grids");
    dritEffect.load(files::kDritEffect);
    loaded("effects");
    D3DXCreateTextureFromFileA(gDevice, files::kLoadingPicture, &loadingTexture);
    loaded("textures");

    drawLoadingFrame(1.0f);
    gDevice->Present(nullptr, nullptr, nullptr, nullptr);
    loaded("loading screen");

    textures.load(kShowTextureList);
    loaded("textures");
    imageEffect.load(files::kImageEffect);
    loaded("effects");
    buildGridMesh(overlayQuad, 2, 2, 644.0f, 484.0f, -322.0f, -242.0f);
    loaded("grids");
    buildGridMesh(dancerGrid, 24, 32, 192.0f, 256.0f, -96.0f, -250.0f);
    loaded("grids");
    floorScene.load(files::kFloorScene, &imageEffect);
    loaded("scenes");
    buildTileGrid(floorGrid, 20, 20, 500.0f, 500.0f, -250.0f, -250.0f);
    loaded("grids");
    buildGridMesh(screenGrid, 80, 60, 640.0f, 480.0f, -320.0f, -240.0f);
    loaded("grids");
    dancerMesh.load(files::kDancerMesh);
    loaded("meshes");
    discoEffect.load(files::kDiscoEffect);
    loaded("effects");
    cylEffect.load(files::kCylEffect);
    loaded("effects");
    tunnelScene.load(files::kTunnelScene, &cylEffect);
    loaded("scenes");
    boxMesh.load(files::kBoxMesh);
    loaded("meshes");
    textEffect.load(files::kTextEffect);
    loaded("effects");
    buildTileGrid(textGrid, 27, 20, 640.0f, 480.0f, -320.0f, -240.0f);
    loaded("grids");
    stenMesh.load(files::kStenMesh);
    loaded("meshes");
    buildTileGrid(backGrid, 40, 30, 640.0f, 480.0f, -320.0f, -240.0f);
    loaded("grids");
    planbScene.load(files::kPlanbScene, &textEffect);
    loaded("scenes");

    // Fade the loading picture out over a second of wall-clock time. The value sent is
    // read afresh just before it is set, so it can dip slightly below 0.
    LARGE_INTEGER frequency, fadeStart, now;
    QueryPerformanceFrequency(&frequency);
    const double secondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    QueryPerformanceCounter(&fadeStart);
    QueryPerformanceCounter(&now);
    while (static_cast<double>(now.QuadPart - fadeStart.QuadPart) * secondsPerTick <
           loadingFadeSeconds) {
        QueryPerformanceCounter(&now);
        const double elapsed = static_cast<double>(now.QuadPart - fadeStart.QuadPart) * secondsPerTick;
        drawLoadingFrame(static_cast<float>(1.0 - elapsed));
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        QueryPerformanceCounter(&now);
    }
    loaded("fade");
}

// The loading picture on a quad slightly larger than the screen; "var1" is its fade.
// Without the loading effect only the blue clear is drawn.
void Show::drawLoadingFrame(float fade) {
    gDevice->BeginScene();
    gDevice->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (dritEffect.compiled) {
        setScreenMatrices(&dritEffect);
        dritEffect.compiled->SetFloat("var1", fade);
        dritEffect.compiled->SetTexture("tex0", loadingTexture);
        loadingQuad.draw(DrawRequest{"tull", &dritEffect, 0, DRAW_MATERIAL_TEXTURES});
    }
    gDevice->EndScene();
}

Show::~Show() {
    if (loadingTexture) loadingTexture->Release();
    loadingTexture = nullptr;
    loadingQuad.release();
    dritEffect.release();
    planbScene.release();
    backGrid.release();
    stenMesh.release();
    textGrid.release();
    textEffect.release();
    boxMesh.release();
    cylEffect.release();
    tunnelScene.release();
    screenGrid.release();
    discoEffect.release();
    dancerMesh.release();
    floorGrid.release();
    freeCamera.release();
    floorScene.release();
    dancerGrid.release();
    overlayQuad.release();
    imageEffect.release();
    music.release();
    textures.release();
    sync.release();
}
