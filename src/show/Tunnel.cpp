// The spinning disco tunnel through the scene's own camera, thirty greeting plates
// weaving through it, and two text overlays.
#include "show/Tunnel.h"

#include <cmath>
#include <cstdint>

#include "show/ShowDraw.h"

using namespace show;

namespace show {

void plateSteps(float t, unsigned& n, long double& f) {
    const float a = static_cast<float>((static_cast<double>(t) - 58.8f) * 0.1f);
    n = 0;
    f = a;
    while (f > 0.1f) {
        f -= 0.1f;
        n += 1;
    }
}

float plateNumber(unsigned i, unsigned n) {
    return static_cast<float>(static_cast<std::uint32_t>(i - n));
}

}  // namespace show

void Show::drawTunnel(float t) {
    Camera* camera = firstCamera(tunnelScene);
    Mesh* tunnel = sceneMesh(tunnelScene, 0);
    Mesh* plate = sceneMesh(tunnelScene, 1);

    setFloat(cylEffect, "time", t);
    setFloat(discoEffect, "const1", 0.0f);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlack);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    alphaBlending();

    if (camera) applyCamera(*camera, cylEffect, 0x0F, t);
    setTexture(cylEffect, "tex0", textures, "floorTexture");
    setTexture(cylEffect, "tex1", textures, "floorSpecular");

    // The tunnel turns about x, one turn every 2 pi seconds.
    if (tunnel) {
        tunnel->base = yawPitchRollMatrix(D3DXVECTOR3(0.0f, t, 0.0f));
        drawMesh(*tunnel, "DiscoCylinder", cylEffect, 0);
        setTexture(cylEffect, "tex0", textures, "floorTile");
        drawMesh(*tunnel, "DiscoCylinder", cylEffect, 1);
    } else {
        setTexture(cylEffect, "tex0", textures, "floorTile");
    }

    if (camera) applyCamera(*camera, discoEffect, 0x0F, t);
    alphaBlending();
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);

    // The plates: as the row advances one spacing per second, each phase keeps its number.
    const float s = static_cast<float>(std::sin(static_cast<double>(t)) * 0.1f);
    unsigned n;
    long double f;
    plateSteps(t, n, f);
    for (unsigned i = 0; plate && i < kPlateCount; ++i) {
        const float phase = static_cast<float>(f + static_cast<long double>(0.1f) * i);
        const D3DXVECTOR3 v(140.0f, static_cast<float>(40.0 * std::sin(t + 6.0 * phase)),
                            static_cast<float>(40.0 * std::cos(t + 5.0 * phase)));
        // The turn uses the single-precision 0.1, as the phase does; a double 0.1 moves
        // the angle by a unit in the last place.
        const long double turn = static_cast<long double>(0.1f) * phase;
        plate->base = yawPitchRollMatrix(D3DXVECTOR3(static_cast<float>(turn), static_cast<float>(turn + s), 0.0f)) *
                      translationMatrix(v);
        plate->animate(phase);
        setTexture(cylEffect, "tex0", textures, "greeting");
        setFloat(cylEffect, "const0", plateNumber(i, n));
        drawAnimated(*plate, "Plane01", cylEffect, 0);
    }

    alphaBlending();
    screenMatrices(discoEffect);

    // Each fade sets its rising value, then its falling one once that applies.
    const long double sinceFirst = static_cast<long double>(t) - 59.9f;
    setFloat(discoEffect, "const0", clamp01(sinceFirst));
    if (sinceFirst > 6) setFloat(discoEffect, "const0", clamp01(66.9f - static_cast<long double>(t)));
    setTexture(discoEffect, "tex0", textures, "overlay04");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    const long double sinceSecond = static_cast<long double>(t) - 66.0f;
    setFloat(discoEffect, "const0", clamp01(sinceSecond));
    if (sinceSecond > 6) setFloat(discoEffect, "const0", clamp01(73.0f - static_cast<long double>(t)));
    setTexture(discoEffect, "tex0", textures, "overlay05");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    drawOverlay(*this, 1.0f, "frames");

    gDevice->EndScene();
}
