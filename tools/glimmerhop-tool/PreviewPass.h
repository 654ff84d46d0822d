// How the effect preview draws each pass: on the built-in mesh, or over the whole target
// the way a host draws a post-process pass (a screen quad).
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

namespace fx {
struct EffectDescription;
struct PassDescription;
}  // namespace fx

namespace tool {

enum class PassDraw {
    Mesh,          // the preview mesh through the world, view and projection
    ScreenPixels,  // a pre-transformed quad (XYZRHW) covering the target
    ScreenClip,    // a quad whose positions span clip space, for a vertex shader that passes them on
};

struct PassPlan {
    PassDraw draw = PassDraw::Mesh;
    std::string why;  // for the printout
};

// From the pass's Script annotation ("Draw=Buffer" / "Draw=Geometry"), its shaders (a
// pixel shader alone is a screen pass in D3D9 programs) and its vertex shader's inputs
// (POSITIONT: pre-transformed vertices). Where the pass draws is the script's business
// (PreviewTechnique).
PassPlan planPass(const fx::EffectDescription& effect, const fx::PassDescription& pass);

// The screen quad as a triangle strip of four vertices: x, y, z, rhw (or w), u, v. Pixel
// positions sit half a pixel up and left, so that texel centres meet pixel centres as in
// D3D9; clip positions span -1..1 and leave the half texel to the shader.
struct QuadVertex {
    float x, y, z, w, u, v;
};
constexpr DWORD kQuadFvfPixels = D3DFVF_XYZRHW | D3DFVF_TEX1;
constexpr DWORD kQuadFvfClip = D3DFVF_XYZW | D3DFVF_TEX1;
void screenQuad(PassDraw draw, unsigned width, unsigned height, QuadVertex out[4]);

}  // namespace tool
