// Against blue: a big box, the text plane, the stencil mesh and eight bars lifted by the
// beats of their bands, with a circling three-shot camera cutting on band 0.
#include <cmath>

#include "show/ShowDraw.h"

using namespace show;

namespace {

constexpr unsigned kBarCount = 8;

D3DXMATRIX barMatrix(unsigned band, float z) {
    return translationMatrix(D3DXVECTOR3(60.0f * static_cast<float>(band) - 200.0f, 0.0f, z));
}

}  // namespace

void Show::updateTextCamera(float t) {
    freeCamera.up = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    if (!textCameraHasRun) {
        textCameraHasRun = true;
        textLastCutTime = t;
    }

    // Cut on a loud band 0, never sooner than 0.5 s after the last cut.
    if (cutDue(sync, kEqualizerCuts, t, textLastCutTime)) {
        textShotIndex += 1;
        textLastCutTime = t;
    }
    if (textShotIndex > 2) textShotIndex = 0;

    // Music time itself is the angle; the target is always the origin.
    const double st = std::sin(static_cast<double>(t));
    const double ct = std::cos(static_cast<double>(t));
    if (textShotIndex == 0) {
        freeCamera.setShot(static_cast<float>(250.0 * st), static_cast<float>(250.0 * ct), 120.0f,
                           0.0f, 0.0f, 0.0f, 1.7453293f);
    } else if (textShotIndex == 1) {
        freeCamera.setShot(static_cast<float>(100.0 * st), static_cast<float>(-100.0 * ct), 150.0f,
                           0.0f, 0.0f, 0.0f, 2.4166098f);
    } else {
        freeCamera.setShot(static_cast<float>((120.0 + 40.0 * std::cos(0.5 * t)) * st),
                           static_cast<float>((120.0 + 40.0 * std::sin(0.5 * t)) * ct), 200.0f,
                           0.0f, 0.0f, 0.0f, 1.6534699f);
    }
    applyCamera(freeCamera, textEffect, 0x1F, 0.0f);
}

void Show::drawEqualizer(float t) {
    const float s = static_cast<float>(static_cast<double>(t) - 103.4f);
    const D3DXMATRIX bigBoxMatrix =
        scalingMatrix(D3DXVECTOR3(12.0f, 12.0f, 4.0f)) * translationMatrix(D3DXVECTOR3(0.0f, 0.0f, 120.0f));
    const D3DXMATRIX stencilMatrix = yawPitchRollMatrix(D3DXVECTOR3(0.0f, 1.5707964f, 0.0f));

    // The free camera on discoEffect, and the box's beat on the shared sum latch (every
    // call of a frame returns the same value).
    auto cameraOnDisco = [&] { applyCamera(freeCamera, discoEffect, 0x1F, 0.0f); };
    auto boxPulse = [&] { setFloat(discoEffect, "const1", sync.pulse(0.9f, 0.1f, t, 255)); };
    auto barPulse = [&](unsigned band) { return sync.bandPulse(0.9f, 0.2f, t, static_cast<unsigned char>(band)); };

    setFloat(textEffect, "time", s);
    setFloat(discoEffect, "time", t);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlue);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    alphaBlending();
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);

    updateTextCamera(t);

    renderState(D3DRS_CULLMODE, D3DCULL_CW);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    cameraOnDisco();
    boxPulse();
    setTexture(discoEffect, "tex0", textures, "floorTexture");
    setTexture(discoEffect, "tex1", textures, "floorTile");
    boxMesh.base = bigBoxMatrix;
    drawMesh(boxMesh, "DiscoBox", discoEffect, 1);

    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    setTexture(textEffect, "tex0", textures, "floorTexture");
    setTexture(textEffect, "tex1", textures, "floorSpecular");
    drawMesh(textGrid, "TextPlane", textEffect, 0);

    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    stenMesh.base = stencilMatrix;
    drawMesh(stenMesh, "Stencil", textEffect, 0);

    renderState(D3DRS_CULLMODE, D3DCULL_CCW);
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    cameraOnDisco();
    boxPulse();
    setTexture(discoEffect, "tex0", textures, "floorTexture2");
    setTexture(discoEffect, "tex1", textures, "floorTile");
    boxMesh.base = bigBoxMatrix;
    drawMesh(boxMesh, "DiscoBox2", discoEffect, 0);

    cameraOnDisco();
    boxPulse();
    setTexture(discoEffect, "tex0", textures, "floorTexture2");
    setTexture(discoEffect, "tex1", textures, "floorTile");

    // The bars' solid pass stands at least 50 high.
    renderState(D3DRS_CULLMODE, D3DCULL_CW);
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    for (unsigned i = 0; i < kBarCount; ++i) {
        float z = static_cast<float>(100.0 * barPulse(i) + 50.0);
        if (z < 50.0f) z = 50.0f;
        boxMesh.base = barMatrix(i, z);
        drawMesh(boxMesh, "DiscoBox", discoEffect, 0);
    }

    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    setTexture(textEffect, "tex0", textures, "floorTile");
    setTexture(textEffect, "tex1", textures, "floorSpecular");
    drawMesh(textGrid, "TextPlane", textEffect, 1);

    cameraOnDisco();
    boxPulse();
    setTexture(discoEffect, "tex0", textures, "floorTexture2");
    setTexture(discoEffect, "tex1", textures, "floorTile");
    setTexture(textEffect, "tex2", textures, "floorSpecular2");

    // The second pass of the bars has no lower bound.
    renderState(D3DRS_CULLMODE, D3DCULL_CCW);
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);
    for (unsigned i = 0; i < kBarCount; ++i) {
        const float z = static_cast<float>(100.0 * barPulse(i) + 50.0);
        boxMesh.base = barMatrix(i, z);
        drawMesh(boxMesh, "DiscoBox", discoEffect, 1);
    }

    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    screenMatrices(discoEffect);
    setFloat(discoEffect, "const0", 1.0f);
    setFloat(discoEffect, "const1", 0.0f);

    // Each fade sets its rising value, then its falling one once that applies.
    setFloat(discoEffect, "const0", clamp01(s - 1.0L));
    if (s > 8) setFloat(discoEffect, "const0", clamp01(9.0L - s));
    setTexture(discoEffect, "tex0", textures, "overlay09");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    setFloat(discoEffect, "const0", clamp01(s - 9.0L));
    setTexture(discoEffect, "tex0", textures, "overlay10");
    if (s > 13) setFloat(discoEffect, "const0", clamp01(15.0L - s));
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    setFloat(discoEffect, "const0", clamp01(s - 15.0L));
    if (t > 128.9f) setFloat(discoEffect, "const0", clamp01(129.9f - static_cast<long double>(t)));
    setTexture(discoEffect, "tex0", textures, "overlay11");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);

    setFloat(discoEffect, "const1", 0.0f);
    drawOverlay(*this, 1.0f, "frames");

    gDevice->EndScene();
}
