// The one place D3D9's enums become GL's: comparisons, blending, stencil operations,
// texture addressing and filters, primitives and texture formats.
#pragma once

#include <epoxy/gl.h>

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

GLenum compareFunc(DWORD value);
GLenum blendFactor(DWORD value);
GLenum blendEquation(DWORD value);
GLenum stencilOp(DWORD value);
GLenum addressMode(DWORD value);
// The minifying filter for D3DSAMP_MINFILTER and MIPFILTER; `heldLevel`: MAXMIPLEVEL > 0.
GLenum minFilter(DWORD minification, DWORD mip, bool heldLevel);
GLenum magFilter(DWORD magnification);
// A D3DCOLOR border as GL's floats.
void borderColour(DWORD argb, float rgba[4]);
GLenum primitiveMode(D3DPRIMITIVETYPE type);
// The storage a texture of that format gets.
GLenum internalFormat(D3DFORMAT format);

}  // namespace d3d9::detail
