// The opening: the animated floor through its own camera, a picture flashing with the
// beat and, from 14.6 s, the dancer over it.
#include "show/ShowDraw.h"

using namespace show;

void Show::drawFloorIntro(float t) {
    // The camera holds its first pose until 14.6 s, then runs at double speed.
    const bool late = t > 14.6f;
    const float cameraTime = late ? static_cast<float>(2.0 * (static_cast<double>(t) - 14.6f)) : 0.0f;

    setFloat(imageEffect, "time", t);
    setFloat(discoEffect, "const1", 0.0f);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlack);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    alphaBlending();

    if (Camera* camera = firstCamera(floorScene)) applyCamera(*camera, imageEffect, 0x0F, cameraTime);
    // The meshes move with music time even while the camera stands still.
    drawScene(floorScene, "DanceFloor", imageEffect, t, 1);

    renderState(D3DRS_ZENABLE, D3DZB_FALSE);

    const float flash = sync.pulse(0.23f, 0.06f, t, 255);
    setFloat(imageEffect, "const0", clamp01(5.0 * flash));
    setTexture(imageEffect, "tex0", textures, "ruff01");
    screenMatrices(imageEffect);
    setBool(imageEffect, "usealpha", late);
    drawMesh(overlayQuad, "db01", imageEffect, 255);

    if (late) {
        // Shares the sum latch with the flash above and sees what it just left.
        const float beat = sync.pulse(0.4f, 0.2f, t, 255);
        setTexture(imageEffect, "tex0", textures, "char01");
        setFloat(imageEffect, "const0", static_cast<float>(3.0 * beat + 0.4 * t));
        drawMesh(dancerGrid, "Dancer", imageEffect, 255);
    }

    gDevice->EndScene();
}
