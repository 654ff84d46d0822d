// The last scene: the greetings on blue, the third scene file through a swinging camera,
// two names cross-fading, and the group's logo from 139 s on.
#include <cmath>

#include "show/ShowDraw.h"

using namespace show;

void Show::drawFinale(float t) {
    const float g = t - 129.9f;

    setFloat(discoEffect, "time", t);
    setFloat(textEffect, "time", t + 2.5f);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlue);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    alphaBlending();

    screenMatrices(textEffect);
    setTexture(textEffect, "tex0", textures, "floorTexture2");
    setTexture(textEffect, "tex1", textures, "greets");
    setTexture(textEffect, "tex2", textures, "floorTile");
    drawMesh(backGrid, "GreetFloor", textEffect, 0);

    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    renderState(D3DRS_CULLMODE, D3DCULL_CCW);

    // The camera swings around the origin on three sines, always looking at it.
    freeCamera.up = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    freeCamera.setShot(static_cast<float>(80.0 * std::sin(2.5 * t)),
                       static_cast<float>(80.0 * std::cos(2.0 * t)),
                       static_cast<float>(80.0 * std::cos(1.5 * t)), 0.0f, 0.0f, 0.0f, 1.5707964f);
    applyCamera(freeCamera, textEffect, 0x1F, 0.0f);
    drawScene(planbScene, "PlanB", textEffect, 0.0f, 1);

    screenMatrices(textEffect);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    drawMesh(backGrid, "GreetFloor", textEffect, 1);

    screenMatrices(discoEffect);
    // Each name sets its rising value, then its falling one once that applies.
    setFloat(discoEffect, "const0", clamp01(4.0L * (g - 1.0L)));
    if (g > 4) setFloat(discoEffect, "const0", clamp01(5.0L - g));
    setTexture(discoEffect, "tex0", textures, "trelkin");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    setFloat(discoEffect, "const0", clamp01(g - 4.0L));
    if (g > 8) setFloat(discoEffect, "const0", clamp01(9.0L - g));
    setTexture(discoEffect, "tex0", textures, "vobble");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    setFloat(discoEffect, "const1", 0.0f);
    drawOverlay(*this, 1.0f, "frames");

    drawOverlay(*this, clamp01(0.6f * (static_cast<long double>(t) - 139.0L)), "vantroop");

    gDevice->EndScene();
}
