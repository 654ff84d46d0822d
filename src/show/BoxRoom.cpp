// A room of five floor grids around a tumbling box that pulses with the beat, a
// three-shot camera cutting on band 0, and the fly-in to the box at the end.
#include <cmath>
#include <cstdio>

#include "show/ShowDraw.h"

using namespace show;

namespace {

constexpr float kHalfPi = 1.5707964f;

D3DXMATRIX translation(float x, float y, float z) {
    return translationMatrix(D3DXVECTOR3(x, y, z));
}

D3DXMATRIX yawPitchRoll(float yaw, float pitch, float roll) {
    return yawPitchRollMatrix(D3DXVECTOR3(yaw, pitch, roll));
}

D3DXMATRIX identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// The floor grid drawn at one of the room's placements.
void drawFloor(Show& show, const D3DXMATRIX& placement, unsigned pass) {
    show.floorGrid.base = placement;
    drawMesh(show.floorGrid, "DiscoFloor", show.discoEffect, pass);
}

}  // namespace

void Show::updateBoxCamera(float t) {
    const float a = static_cast<float>(static_cast<double>(t) - 76 + 4);
    if (!boxCameraHasRun) {
        boxCameraHasRun = true;
        boxLastCutTime = t;
    }

    // Cut on a loud band 0, never sooner than 0.5 s after the last cut.
    if (cutDue(sync, kBoxRoomCuts, t, boxLastCutTime)) {
        boxShotIndex += 1;
        boxLastCutTime = t;
    }
    if (boxShotIndex > 2) boxShotIndex = 0;

    const float fov = 1.2566371f;  // 2 pi / 5
    if (t > 102.4f) {
        // The last second flies into the box from 250 units out.
        const float m = static_cast<float>(static_cast<double>(t) - 103.4f);
        D3DXVECTOR3 eye(static_cast<float>(250.0 * m * std::sin(a)),
                        static_cast<float>(250.0 * m * std::cos(a) - 50.0), 50.0f);
        D3DXVECTOR3 target(0.0f, -50.0f, 50.0f);
        // On the last frame the eye reaches the target and the view has no direction:
        // keep looking the way the camera was flying.
        if (eye == target) {
            target.x += std::sin(a);
            target.y += std::cos(a);
        }
        freeCamera.setShot(eye.x, eye.y, eye.z, target.x, target.y, target.z, fov);
        std::printf("mongo = %f", static_cast<double>(m));
    } else if (boxShotIndex == 0) {
        freeCamera.setShot(static_cast<float>(200.0 * std::sin(a)),
                           static_cast<float>(200.0 * std::cos(a)), 60.0f, 0.0f, 0.0f, 40.0f, fov);
    } else if (boxShotIndex == 1) {
        freeCamera.setShot(static_cast<float>(-200.0 * std::sin(a)),
                           static_cast<float>(200.0 * std::cos(a)),
                           static_cast<float>(100.0 + 40.0 * std::sin(0.5 * t)),
                           static_cast<float>(-100.0 * std::sin(a + 1.0)),
                           static_cast<float>(100.0 * std::cos(a + 1.0)), 80.0f, fov);
    } else {
        freeCamera.setShot(static_cast<float>(100.0 * std::sin(a)),
                           static_cast<float>(100.0 * std::cos(a)),
                           static_cast<float>(100.0 + 40.0 * std::sin(0.5 * t)),
                           static_cast<float>(-10.0 * std::sin(a + 1.0)),
                           static_cast<float>(10.0 * std::cos(a + 1.0)), 80.0f, fov);
    }
    freeCamera.up = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    applyCamera(freeCamera, discoEffect, 0x1F, 0.0f);
}

void Show::drawBoxRoom(float t) {
    setFloat(discoEffect, "time", t);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlack);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    alphaBlending();
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);

    // The floor and four walls, each wall spanning z from -2 to 498.
    const D3DXMATRIX room[5] = {
        identity(),
        translation(0, 248, 248) * yawPitchRoll(0, kHalfPi, 0),
        translation(0, 248, 248) * yawPitchRoll(kHalfPi, 0, kHalfPi),
        translation(0, 248, -248) * yawPitchRoll(kHalfPi, 0, kHalfPi),
        translation(0, 248, -248) * yawPitchRoll(0, kHalfPi, 0),
    };
    const D3DXMATRIX boxMatrix =
        yawPitchRoll(static_cast<float>(0.85 * t), static_cast<float>(0.7 * t), t) *
        translation(0, -50, 50);

    updateBoxCamera(t);

    setTexture(discoEffect, "tex0", textures, "floorTexture");
    setTexture(discoEffect, "tex1", textures, "floorSpecular");
    for (int k = 0; k < 5; ++k) drawFloor(*this, room[k], 0);

    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    for (int k = 1; k < 5; ++k) {
        floorGrid.base = room[k];
        setTexture(discoEffect, "tex0", textures, "floorTexture");
        setTexture(discoEffect, "tex1", textures, "floorSpecular");
        drawMesh(floorGrid, "DiscoFloor", discoEffect, 2);
        setTexture(discoEffect, "tex0", textures, "floorTile");
        setTexture(discoEffect, "tex1", textures, "floorSpecular");
        drawMesh(floorGrid, "DiscoFloor", discoEffect, 3);
    }

    renderState(D3DRS_CULLMODE, D3DCULL_CW);
    setFloat(discoEffect, "const1", sync.pulse(0.9f, 0.1f, t, 255));
    setTexture(discoEffect, "tex0", textures, "floorTexture");
    setTexture(discoEffect, "tex1", textures, "floorTile");
    boxMesh.base = boxMatrix;
    drawMesh(boxMesh, "DiscoBox", discoEffect, 0);

    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    setTexture(discoEffect, "tex0", textures, "floorTile");
    setTexture(discoEffect, "tex1", textures, "floorSpecular");
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    for (int k = 0; k < 5; ++k) drawFloor(*this, room[k], 1);

    // The shared sum latch makes this the same pulse as the first box pass.
    setFloat(discoEffect, "const1", sync.pulse(0.9f, 0.1f, t, 255));
    setTexture(discoEffect, "tex0", textures, "floorTexture");
    setTexture(discoEffect, "tex1", textures, "floorTile");
    boxMesh.base = boxMatrix;
    drawMesh(boxMesh, "DiscoBox", discoEffect, 1);

    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    screenMatrices(discoEffect);

    const float u = static_cast<float>(static_cast<double>(t) - 73.6f);
    if (u > 1) {
        setFloat(discoEffect, "const0", clamp01((u - 1.0L) * 0.8f));
        setFloat(discoEffect, "const1", static_cast<float>(0.09 * t));
        setTexture(discoEffect, "tex0", textures, "overlay06");
        drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);
    }
    if (u > 9) {
        float strength = clamp01((u - 9.0L) * 0.8f);
        if (u > 15) strength = clamp01(16.0L - u);
        setFloat(discoEffect, "const0", strength);
        setFloat(discoEffect, "const1", 0.0f);
        setTexture(discoEffect, "tex0", textures, "overlay07");
        drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);
    }
    if (u > 16) {
        float strength = clamp01((u - 16.0L) * 0.8f);
        if (u > 25.5f) strength = clamp01(26.5L - u);
        setFloat(discoEffect, "const0", strength);
        setFloat(discoEffect, "const1", 0.0f);
        setTexture(discoEffect, "tex0", textures, "overlay08");
        drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);
    }
    drawOverlay(*this, 1.0f, "frames");

    gDevice->EndScene();
}
