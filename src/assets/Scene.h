// A scene: the node lists read from a .scene file and the node files it names.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/MaterialList.h"
#include "assets/Mesh.h"
#include "assets/tracks/Tracks.h"
#include "render/Camera.h"
#include "render/Effect.h"

// A light record in the layout of Direct3D 9's light structure.
struct LightColor {
    float r, g, b, a;
};
struct LightRecord {
    std::uint32_t type;
    LightColor diffuse;
    LightColor specular;
    LightColor ambient;
    D3DXVECTOR3 position;
    D3DXVECTOR3 direction;
    float range;
    float falloff;
    float attenuation0;
    float attenuation1;
    float attenuation2;
    float theta;
    float phi;
};

constexpr int LIGHT_POINT = 1;

struct LightNode : SceneNode {
    VectorTrack positionTrack;
    LightRecord light{};

    LightNode() = default;
    LightNode(const LightNode&) = delete;
    LightNode& operator=(const LightNode&) = delete;
    ~LightNode() { release(); }

    // Reads a light file (point-light defaults, then the position keys).
    void load(const char* path);
    // Type 1 sets the point-light defaults; any other type is reported and ignored.
    void setLightType(int type);
    void release();
};

// Reads a camera file into `camera`: near and far planes, field-of-view keys, then the
// eye and target keys with their shared count.
void readCameraFile(Camera& camera, const char* path);

struct Scene {
    std::vector<Mesh*> meshes;                // owned, in file order
    std::vector<LightNode*> lights;           // owned, in file order
    std::vector<Camera*> cameras;             // owned, in file order
    std::vector<MaterialList*> materialLists;  // owned, in file order

    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene() { release(); }

    // Reads the scene file and every node file it names; each mesh draws with `effect`.
    void load(const char* path, Effect* effect);
    // The first mesh with this id, or null.
    Mesh* findMesh(std::int32_t id) const;
    // Animates and draws every mesh in list order with its material textures bound.
    void draw(const char* technique, Effect* effect, float t, std::uint32_t pass);
    void release();
};
