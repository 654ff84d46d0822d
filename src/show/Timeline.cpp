#include "show/ShowDraw.h"

using namespace show;

namespace {

// Upper bounds of the scenes' spans in music seconds, compared as single-precision
// values: a scene owns the times above the previous bound up to and including its own.
constexpr float kSpanEnds[6] = {29.2f, 58.8f, 73.6f, 103.4f, 129.9f, 160.0f};

using SceneDraw = void (Show::*)(float);
constexpr SceneDraw kSceneDraws[6] = {
    &Show::drawFloorIntro, &Show::drawDiscoDancers, &Show::drawTunnel,
    &Show::drawBoxRoom,    &Show::drawEqualizer,    &Show::drawFinale,
};

}  // namespace

void Show::renderFrame(float t) {
    for (int i = 0; i < 6; ++i) {
        if (!(t > kSpanEnds[i])) {
            (this->*kSceneDraws[i])(t);
            return;
        }
    }
    // Past the last span the show starts over with its first scene.
    drawFloorIntro(t);
}

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
