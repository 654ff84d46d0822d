#include "show/SceneSpans.h"
#include "show/ShowDraw.h"

using namespace show;

namespace {

// In the order of kScenes.
using SceneDraw = void (Show::*)(float);
constexpr SceneDraw kSceneDraws[kSceneCount] = {
    &Show::drawFloorIntro, &Show::drawDiscoDancers, &Show::drawTunnel,
    &Show::drawBoxRoom,    &Show::drawEqualizer,    &Show::drawFinale,
};

}  // namespace

void Show::renderFrame(float t) { (this->*kSceneDraws[sceneAt(t)])(t); }

// The group's logo after the music: full for half a second, gone at 1.5 s.
void Show::renderOutro(float t) {
    setFloat(discoEffect, "time", t);
    gDevice->BeginScene();
    clearTargetAndDepth(kBlack);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    alphaBlending();
    screenMatrices(discoEffect);
    setFloat(discoEffect, "const0", 1.0f);
    if (t > 0.5f) setFloat(discoEffect, "const0", clamp01(1.5f - t));
    setFloat(discoEffect, "const1", 0.0f);
    setTexture(discoEffect, "tex0", textures, "vantroop");
    drawMesh(overlayQuad, "AdditiveOverlay", discoEffect, 0);
    gDevice->EndScene();
}
