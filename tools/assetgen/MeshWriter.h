// Writers for the show's binary node formats (meshes, material lists, cameras, lights)
// and its scene text files. Every writer returns the file's bytes, so that the steps and
// the tests see exactly what lands on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};

// The 32-byte vertex of mask 0x0007: position, normal, one 2-float texture coordinate.
struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0, v = 0;
};
constexpr std::uint16_t kMeshFormatMask = 0x0007;
constexpr std::uint32_t kMeshStride = 32;

// Keyframes at 30 per second; the three tracks always have the same length (the file
// keeps one shared count). No keys at all means the mesh is placed by its owner alone.
struct MeshTracks {
    std::vector<Vec3> position;
    std::vector<Quat> rotation;
    std::vector<Vec3> scale;
};

struct MeshData {
    std::uint32_t materialIndex = 0;
    std::vector<MeshVertex> vertices;
    std::vector<std::uint16_t> indices;  // triangle list
    MeshTracks tracks;
    std::string name;  // stored in the header's free 64 bytes, for people reading a dump

    // Appends a quad a, b, c, d (in order around it) as two triangles a-b-c and a-c-d;
    // seen from the side its normal points to, a-b-c-d runs clockwise, which is the
    // front-face winding of the renderer.
    void addQuad(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d);
};

std::vector<std::uint8_t> encodeMesh(const MeshData& mesh);
// Texture names are relative to the list file's folder.
std::vector<std::uint8_t> encodeMaterialList(const std::vector<std::string>& textures);
// fov keys in radians; eye and target tracks must have the same length.
std::vector<std::uint8_t> encodeCamera(float nearPlane, float farPlane, const std::vector<float>& fov,
                                       const std::vector<Vec3>& eye, const std::vector<Vec3>& target);
std::vector<std::uint8_t> encodeLight(const std::vector<Vec3>& position);

// One node line of a scene file: id, file name (relative to the scene's folder), parent id.
struct SceneEntry {
    int id = 0;
    std::string file;
    int parent = 0;
};
// Lines of "%4d<file>%4d\n", then the closing 0xFF byte.
std::vector<std::uint8_t> encodeScene(const std::vector<SceneEntry>& entries);

// Small maths for building the assets.
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
Vec3 cross(Vec3 a, Vec3 b);
float dot(Vec3 a, Vec3 b);
Vec3 normalized(Vec3 a);
Quat axisAngle(Vec3 axis, float radians);

}  // namespace assetgen
