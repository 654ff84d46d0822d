// The show: every asset it draws with, its loading screen, the timeline and the six
// scenes. One instance lives in the entry function, from before the frame loop to after
// the outro.
#pragma once

#include "assets/Mesh.h"
#include "assets/Scene.h"
#include "audio/MusicStream.h"
#include "audio/SyncData.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9math.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/TextureStack.h"

class Show {
public:
    // Members in construction order; the destructor releases them in its own order.
    TextureStack textures;
    MusicStream music;
    SyncData sync;
    Effect imageEffect;
    Mesh overlayQuad;
    Mesh dancerGrid;
    Scene floorScene;
    Camera freeCamera;
    Mesh floorGrid;
    Mesh dancerMesh;
    Effect discoEffect;
    Mesh screenGrid;
    Scene tunnelScene;
    Effect cylEffect;
    Mesh boxMesh;
    Effect textEffect;
    Mesh textGrid;
    Mesh stenMesh;
    Mesh backGrid;
    Scene planbScene;
    IDirect3DTexture9* loadingTexture = nullptr;
    Effect dritEffect;
    Mesh loadingQuad;

    // Camera-cut state of the three scenes that cut on the music. It lives for the whole
    // run: leaving a scene and coming back (by seeking) keeps it.
    unsigned shotIndex = 0;
    float lastCutTime = 0.0f;
    unsigned boxShotIndex = 0;
    float boxLastCutTime = 0.0f;
    bool boxCameraHasRun = false;
    unsigned textShotIndex = 0;
    float textLastCutTime = 0.0f;
    bool textCameraHasRun = false;

    // Length of the loading picture's fade-out in wall-clock seconds. The program never
    // changes it; tools and tests set 0 to skip the wait (no fade frame is then drawn,
    // exactly as when a second has already passed before the first test).
    static double loadingFadeSeconds;

    // Tools only: when set, load() calls it after each of its steps with the kind of asset
    // that step loaded ("music", "sync", "grids", "effects", "textures", "meshes",
    // "scenes", "loading screen", "fade"), so a profiler can time the real load by kind.
    // The program leaves it null.
    static void (*loadStepHook)(const char* kind);

    Show() = default;
    ~Show();
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    void load();
    void renderFrame(float t);
    void renderOutro(float t);

    void drawFloorIntro(float t);
    void drawDiscoDancers(float t);
    void drawTunnel(float t);
    void drawBoxRoom(float t);
    void drawEqualizer(float t);
    void drawFinale(float t);

    void updateDiscoCamera(float t);
    void updateBoxCamera(float t);
    void updateTextCamera(float t);

private:
    void drawLoadingFrame(float fade);
};
