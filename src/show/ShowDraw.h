// Small drawing helpers shared by the scenes. Every effect call goes through them so
// that an effect file that failed to load (an empty holder) is skipped safely, and a
// scene file that failed to load draws what it has.
#pragma once

#include <cstdint>

#include "app/globals/DisplaySettings.h"
#include "show/CameraCuts.h"
#include "show/Show.h"

namespace show {

inline void renderState(D3DRENDERSTATETYPE state, DWORD value) {
    gDevice->SetRenderState(state, value);
}

// The usual alpha blending: source over destination.
inline void alphaBlending() {
    renderState(D3DRS_ALPHABLENDENABLE, TRUE);
    renderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    renderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    renderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

// Clear of target and depth with the given colour, depth 1.0, stencil 0.
inline void clearTargetAndDepth(D3DCOLOR colour) {
    gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

constexpr D3DCOLOR kBlack = 0x00000000;
constexpr D3DCOLOR kBlue = 0x000000FF;

inline void setFloat(Effect& effect, const char* name, float value) {
    if (effect.compiled) effect.compiled->SetFloat(name, value);
}

inline void setBool(Effect& effect, const char* name, bool value) {
    if (effect.compiled) effect.compiled->SetBool(name, value ? TRUE : FALSE);
}

// "tex0" = "floorTile": the texture the stack knows under that name (null when none).
inline void setTexture(Effect& effect, const char* parameter, TextureStack& textures,
                       const char* name) {
    if (effect.compiled) effect.compiled->SetTexture(parameter, textures.find(name));
}

// The matrices are computed whether or not the effect loaded; only sending needs it.
inline void screenMatrices(Effect& effect) { setScreenMatrices(&effect); }

inline void applyCamera(Camera& camera, Effect& effect, std::uint8_t flags, float time) {
    camera.apply(&effect, flags, time);
}

// Draws an already animated mesh (nothing when the effect is empty).
inline void drawAnimated(Mesh& mesh, const char* technique, Effect& effect, unsigned pass) {
    mesh.draw(DrawRequest{technique, &effect, pass, DRAW_MATERIAL_TEXTURES});
}

// "Draw M with technique X of E, pass P": animated at time 0, material textures bound.
inline void drawMesh(Mesh& mesh, const char* technique, Effect& effect, unsigned pass) {
    mesh.animate(0.0f);
    drawAnimated(mesh, technique, effect, pass);
}

inline void drawScene(Scene& scene, const char* technique, Effect& effect, float time,
                      unsigned pass) {
    scene.draw(technique, &effect, time, pass);
}

// The scene's first camera, or null when its file named none (or failed to load).
inline Camera* firstCamera(Scene& scene) {
    return scene.cameras.empty() ? nullptr : scene.cameras.front();
}

// The scene's mesh at position index of its file's list, or null.
inline Mesh* sceneMesh(Scene& scene, std::size_t index) {
    return index < scene.meshes.size() ? scene.meshes[index] : nullptr;
}

// An overlay picture over the whole screen (under the screen matrices) on discoEffect:
// "const0" is its strength.
inline void drawOverlay(Show& show, float strength, const char* name) {
    setFloat(show.discoEffect, "const0", strength);
    setTexture(show.discoEffect, "tex0", show.textures, name);
    drawMesh(show.overlayQuad, "AdditiveOverlay", show.discoEffect, 0);
}

// Limits to [0, 1]; the argument is taken wide, as the products and differences of the
// fades are formed before the value is stored as a float.
inline float clamp01(long double value) {
    if (value < 0.0L) return 0.0f;
    if (value > 1.0L) return 1.0f;
    return static_cast<float>(value);
}

}  // namespace show
