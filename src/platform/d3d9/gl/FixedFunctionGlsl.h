// GLSL for D3D9's fixed-function pipeline, generated from a FixedFunctionKey: a vertex
// stage (transforms, lighting, vertex fog, texture coordinates) and a pixel stage
// (texture stage blending, specular add, fog, alpha test). The uniforms both read are
// named in FixedFunctionProgram.cpp.
#pragma once

#include <string>

#include "platform/d3d9/gl/FixedFunctionKey.h"

namespace d3d9::detail {

// Vertex inputs use the effect path's locations (internal::attributeLocation), so
// that a pass with only a pixel shader can be fed the same way.
std::string fixedFunctionVertexGlsl(const FixedFunctionKey& key);
std::string fixedFunctionPixelGlsl(const FixedFunctionKey& key);

}  // namespace d3d9::detail
