// The built-in meshes the effect preview draws: every vertex carries every input a
// shader may ask for, so any technique's vertex inputs find their semantic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace tool {

struct PreviewVertex {
    float position[3];
    float normal[3];
    float tangent[3];
    float binormal[3];
    D3DCOLOR colour0, colour1;
    float uv[4][2];  // texture coordinates 0..3, the same values in each set
};

struct PreviewMesh {
    std::vector<PreviewVertex> vertices;
    std::vector<std::uint16_t> indices;  // triangle list, clockwise seen from outside
};

enum class MeshShape { Sphere, Cube, Quad, Torus };

// "sphere", "cube", "quad", "torus"; false for anything else.
bool parseMeshShape(const std::string& text, MeshShape& shape);

// A shape of about unit radius around the origin.
PreviewMesh buildPreviewMesh(MeshShape shape);

// The declaration that matches PreviewVertex, D3DDECL_END included.
const D3DVERTEXELEMENT9* previewDeclaration();

}  // namespace tool
