// Twenty dancers on the disco floor, a five-shot camera cutting on band 2, and the
// overlays fading over them.
#include "show/DiscoDancers.h"

#include <cmath>

#include "show/ShowDraw.h"

using namespace show;

namespace show {

void buildDancerTable(const D3DXVECTOR3& eye, Dancer (&table)[kDancerCount],
                      unsigned (&order)[kDancerCount]) {
    for (unsigned i = 0; i < kDancerCount; ++i) {
        Dancer& d = table[i];
        const double n = i;
        const double cube = n * n * n;  // exact: at most 6859
        d.position = D3DXVECTOR3(static_cast<float>(150.0 * std::cos(92455.0 * cube)),
                                 static_cast<float>(150.0 * std::sin(2452435.0 * n) + n), -4.8f);
        d.roll = static_cast<float>(i * (345 * i + 1));
        D3DXMATRIX turn, place;
        D3DXMatrixRotationYawPitchRoll(&turn, 0.0f, 0.0f, d.roll);
        D3DXMatrixTranslation(&place, d.position.x, d.position.y, d.position.z);
        D3DXMatrixMultiply(&d.world, &turn, &place);
        const double dx = static_cast<double>(eye.x) - d.position.x;
        const double dy = static_cast<double>(eye.y) - d.position.y;
        const double dz = static_cast<double>(eye.z) - d.position.z;
        d.distance = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    for (unsigned i = 0; i < kDancerCount; ++i) order[i] = i;
    for (unsigned k = 0; k < kDancerCount; ++k) {
        for (unsigned j = k; j < kDancerCount; ++j) {
            if (table[order[j]].distance > table[order[k]].distance) {
                const unsigned swap = order[j];
                order[j] = order[k];
                order[k] = swap;
            }
        }
    }
}

float discoShotTime(float t) {
    double u = static_cast<double>(t) - 29.2f + 7 - 9;
    while (u > 9) u -= 9;
    return static_cast<float>(u);
}

}  // namespace show

void Show::updateDiscoCamera(float t) {
    const float w = discoShotTime(t);
    freeCamera.up = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    const float r = static_cast<float>(0.5 + 0.3 * std::sin(0.6 * t));

    // Cut on a loud band 2, never sooner than 0.4 s after the last cut.
    if (cutDue(sync, kDiscoCuts, t, lastCutTime)) {
        lastCutTime = t;
        shotIndex += 1;
    }
    if (shotIndex > 4) shotIndex = 0;

    // Shots 0 and 3 follow music time, shots 1, 2 and 4 the sawtooth w.
    const double pi = 3.14159265358979323846;
    switch (shotIndex) {
        case 0:
            freeCamera.setShot(static_cast<float>(400.0 * std::cos(0.7 * t)),
                               static_cast<float>(-400.0 * std::sin(0.7 * t)), 140.0f,
                               static_cast<float>(400.0 * std::sin(0.7 * t)),
                               static_cast<float>(400.0 * std::cos(0.7 * t)), 30.0f,
                               static_cast<float>(pi / 2));
            break;
        case 1:
            freeCamera.setShot(static_cast<float>(200.0 * std::sin(0.3 * w)),
                               static_cast<float>(200.0 * std::cos(0.4 * w)), 90.0f, 0.0f, 0.0f,
                               30.0f, static_cast<float>(2 * pi / 5));
            break;
        case 2:
            freeCamera.setShot(static_cast<float>(50.0 * w - 200.0), -300.0f, 30.0f,
                               static_cast<float>(42.0 * w - 150.0), 0.0f, 140.0f,
                               static_cast<float>(pi / 4));
            break;
        case 3:
            freeCamera.setShot(static_cast<float>(-500.0 * std::cos(0.9 * t)),
                               static_cast<float>(-500.0 * std::sin(0.9 * t)),
                               static_cast<float>(500.0 + 200.0 * std::sin(1.6 * t)), 0.0f, 0.0f,
                               30.0f, static_cast<float>(pi / 3));
            break;
        default:
            freeCamera.setShot(static_cast<float>(500.0 * r * std::sin(0.3 * w)),
                               static_cast<float>(500.0 * r * std::cos(0.3 * w)), 190.0f, 0.0f,
                               0.0f, 30.0f, static_cast<float>(2 * pi / 5));
            break;
    }
    applyCamera(freeCamera, discoEffect, 0x1F, 0.0f);
}

namespace {

// Farthest first, without depth test; each dancer's "const0" grows with its distance.
void drawDancers(Show& show, const Dancer (&dancers)[kDancerCount],
                 const unsigned (&order)[kDancerCount], float t, unsigned pass) {
    for (unsigned k = 0; k < kDancerCount; ++k) {
        const Dancer& d = dancers[order[k]];
        setFloat(show.discoEffect, "const0", static_cast<float>(0.05 * d.distance + t));
        show.dancerMesh.base = d.world;
        drawMesh(show.dancerMesh, "DiscoDancer", show.discoEffect, pass);
    }
}

}  // namespace

void Show::drawDiscoDancers(float t) {
    setFloat(discoEffect, "time", t);
    setFloat(discoEffect, "const1", 0.0f);

    gDevice->BeginScene();
    clearTargetAndDepth(kBlack);
    renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    renderState(D3DRS_ALPHABLENDENABLE, FALSE);

    setTexture(discoEffect, "tex0", textures, "floorTile");
    setTexture(discoEffect, "tex1", textures, "colormap01");
    screenMatrices(discoEffect);
    drawMesh(screenGrid, "BackGround", discoEffect, 255);

    // The dancers' distances are measured from the eye this sets.
    updateDiscoCamera(t);
    Dancer dancers[kDancerCount];
    unsigned order[kDancerCount];
    buildDancerTable(freeCamera.fixedEye, dancers, order);

    alphaBlending();
    renderState(D3DRS_ZENABLE, D3DZB_TRUE);

    setTexture(discoEffect, "tex0", textures, "floorTexture");
    setTexture(discoEffect, "tex1", textures, "floorSpecular");
    drawMesh(floorGrid, "DiscoFloor", discoEffect, 0);
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    setTexture(discoEffect, "tex0", textures, "char01");
    drawDancers(*this, dancers, order, t, 0);

    setTexture(discoEffect, "tex0", textures, "floorTile");
    setTexture(discoEffect, "tex1", textures, "floorSpecular");
    drawMesh(floorGrid, "DiscoFloor", discoEffect, 1);
    setTexture(discoEffect, "tex0", textures, "char01");
    renderState(D3DRS_ZENABLE, D3DZB_FALSE);
    drawDancers(*this, dancers, order, t, 1);

    screenMatrices(discoEffect);
    const float u = t - 29.2f;
    if (u <= 5) {
        // Only the frame before the first picture.
    } else if (u <= 12) {
        drawOverlay(*this, clamp01(static_cast<long double>(t) - 34.2f), "overlay01");
    } else if (u <= 19) {
        drawOverlay(*this, clamp01(42.2f - static_cast<long double>(t)), "overlay01");
        drawOverlay(*this, clamp01(static_cast<long double>(t) - 41.2f), "overlay02");
    } else {
        drawOverlay(*this, clamp01(49.2f - static_cast<long double>(t)), "overlay02");
        float third = clamp01(static_cast<long double>(t) - 48.2f);
        if (t > 56.5f) third = clamp01(57.5f - static_cast<long double>(t));
        drawOverlay(*this, third, "overlay03");
    }
    drawOverlay(*this, 1.0f, "frames");

    gDevice->EndScene();
}
