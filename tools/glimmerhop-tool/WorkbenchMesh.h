// The meshes the effect workbench draws: the built-in shapes, a mesh file of the show's
// data (.mesh) or a Wavefront OBJ file, all made into the preview's vertex layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PreviewMesh.h"

namespace tool {

// Geometry as a file gives it: corners with a position, a normal (zero where the file
// has none) and a texture coordinate; triangles clockwise seen from their front, as
// Direct3D draws them.
struct MeshCorner {
    float position[3];
    float normal[3];
    float uv[2];
};
struct MeshGeometry {
    std::vector<MeshCorner> corners;
    std::vector<std::uint32_t> triangles;  // three corner indices each
};

// A Wavefront OBJ text: v, vt, vn and f (any polygon, fanned into triangles; 1-based or
// negative indices), other statements ignored. Its right-handed coordinates are mirrored
// in z and its faces turned over, so the model looks as it does in the program that
// wrote it; texture v is flipped to Direct3D's top-down rows. False with "path:line:
// message" in `error`.
bool readObj(const std::string& text, const std::string& path, MeshGeometry& out, std::string& error);

// A .mesh file's triangles, checked by the show's own mesh checks. False with a message.
bool readMeshFile(const std::string& path, MeshGeometry& out, std::string& error);

// The preview's vertices: normals computed from the faces where the file gave none,
// tangents from the texture coordinates. False with a message when the mesh is empty or
// has more corners than 16-bit indices reach.
bool toPreviewMesh(const MeshGeometry& geometry, PreviewMesh& out, std::string& error);

// "sphere", "cube", "quad", "torus", or a path ending in .obj or .mesh.
bool loadWorkbenchMesh(const std::string& choice, PreviewMesh& out, std::string& error);

// The centre and radius of the mesh's bounding box, for framing it.
void meshBounds(const PreviewMesh& mesh, float centre[3], float& radius);

}  // namespace tool
