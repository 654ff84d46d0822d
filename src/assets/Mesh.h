// The drawable mesh: buffers, declaration, animated transform, optional parent and
// material list; and the matrix builders the scenes use.
#pragma once

#include <cstdint>

#include "assets/tracks/Tracks.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9math.h"
#include "render/Effect.h"

struct Mesh;
struct MaterialList;

constexpr D3DXMATRIX IDENTITY_MATRIX{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                                     0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};

// The first fields of every scene node.
struct SceneNode {
    D3DXMATRIX local = IDENTITY_MATRIX;  // animated local transform
    std::int32_t id = 0;                 // node id from the scene file
    Mesh* parent = nullptr;              // not owned; set by the scene loader
};

struct Mesh : SceneNode {
    VectorTrack positionTrack;
    VectorTrack scaleTrack;
    RotationTrack rotationTrack;
    D3DXMATRIX base = IDENTITY_MATRIX;   // placement, written by the scenes
    D3DXMATRIX world = IDENTITY_MATRIX;  // result of the last animate
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;    // owned
    IDirect3DIndexBuffer9* indexBuffer = nullptr;      // owned, 16-bit triangle list
    IDirect3DVertexDeclaration9* vertexDecl = nullptr;  // owned
    std::uint32_t vertexCount = 0;
    std::uint32_t vertexStride = 0;
    std::uint32_t triangleCount = 0;
    Effect* effect = nullptr;             // not owned
    std::uint32_t materialIndex = 0;
    MaterialList* materials = nullptr;    // not owned

    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    ~Mesh() { release(); }

    // Reads a .mesh file; reports every failure itself and stays empty (or keeps what
    // was sound) when the file is bad.
    void load(const char* path);
    // Samples the tracks at music time `t` and computes `local` and `world`.
    void animate(float t);
    // Remembers a given effect, then sends "matWorld", "matWorldView",
    // "matWorldViewProjection" and "matMirror" to the current one.
    void setMatrices(Effect* newEffect);
    void bindBuffers();
    // Runs the technique's passes over the whole mesh; nothing without any effect.
    void draw(DrawRequest request);
    // Releases the buffers and declaration and frees the track keys.
    void release();
};

D3DXMATRIX translationMatrix(const D3DXVECTOR3& v);
D3DXMATRIX scalingMatrix(const D3DXVECTOR3& v);
D3DXMATRIX rotationMatrix(const D3DXQUATERNION& q);
// yaw = v.x, pitch = v.y, roll = v.z, in radians.
D3DXMATRIX yawPitchRollMatrix(const D3DXVECTOR3& v);
