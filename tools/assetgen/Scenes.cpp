// The three scene files and their node files:
//   Floor/Floor.SCENE.scene  the opening dance floor (y up, as its camera expects): a dark
//       slab turning slowly, 8 x 8 glass tiles on it that rise and fall with the beat
//       (children of the slab), a mirror ball above, a point light, and the camera's 30 s
//       flight. Two material lists give the tiles and the ball their pictures.
//   tun/cyl.SCENE.scene  the tunnel: a tube along x (radius 90, x from -700 to 500) first,
//       the 36 x 9 greeting plate second (it faces -x, where the camera comes from), a
//       light, and the camera that flies up the tube towards the plates at x = 140 during
//       58.8-73.6 s of music time. No material lists: the show binds the tunnel's pictures.
//   planb/3b.SCENE.scene  the finale's sculpture around the origin: a faceted ball, two
//       rings and eight cubes on one key each (the show draws it at time 0, the effect
//       moves it). No material lists, so the finale's background pictures stay bound.
#include <cmath>
#include <cstdio>

#include "Image.h"
#include "Meshes.h"
#include "Shapes.h"
#include "Steps.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kKeysPerSecond = 30.0f;
constexpr double kBeat = 0.4625;  // seconds per beat of the music

using Bytes = std::vector<std::uint8_t>;

void addNode(SceneFiles& scene, int id, const std::string& file, int parent, Bytes bytes) {
    scene.entries.push_back(SceneEntry{id, file, parent});
    const std::string dir = scene.scenePath.substr(0, scene.scenePath.find_last_of('/') + 1);
    scene.nodeFiles.emplace_back(dir + file, std::move(bytes));
}

// One key: the node stands at `p`, turned by `q`, at scale 1.
MeshTracks oneKey(Vec3 p, Quat q = Quat{}) {
    MeshTracks t;
    t.position.push_back(p);
    t.rotation.push_back(q);
    t.scale.push_back(Vec3{1, 1, 1});
    return t;
}

float smooth(float x) { return x * x * (3 - 2 * x); }

// --- the dance floor ---------------------------------------------------------------

constexpr int kTiles = 8;
constexpr float kTilePitch = 30.0f;
constexpr float kFloorSeconds = 30.0f;

// Height of tile (i, j) at time t: a ripple running out from the middle every two beats,
// and on every beat the tiles of one colour of the chequer board jump.
float tileHeight(int i, int j, float t) {
    const float cx = (i - (kTiles - 1) * 0.5f) * kTilePitch;
    const float cz = (j - (kTiles - 1) * 0.5f) * kTilePitch;
    const float r = std::sqrt(cx * cx + cz * cz);
    const float ripple = 0.5f + 0.5f * std::sin(static_cast<float>(t * 2 * kPi / (2 * kBeat)) - r * 0.05f);
    const auto beat = static_cast<int>(t / kBeat);
    const float sinceBeat = static_cast<float>(t - beat * kBeat);
    const float jump = ((i + j + beat) % 2 == 0) ? std::exp(-sinceBeat * 7.0f) : 0.0f;
    return 4.0f + 10.0f * ripple * ripple * ripple + 9.0f * jump;
}

Image tilePicture() {
    Image img(128, 128);
    img.paint([](float x, float y) {
        const float u = x / 128.0f, v = y / 128.0f;
        const float edge = std::fmin(std::fmin(u, 1 - u), std::fmin(v, 1 - v));
        const float bevel = 1.0f - smoothstep(0.02f, 0.12f, edge);
        const float sheen = 0.55f + 0.45f * smoothstep(0.9f, 0.0f, u + v);
        const float c = clamp01(0.35f * sheen + 0.65f * bevel);
        return Color{c, c, c, 1};
    });
    return img;
}

Image rampPicture() {
    Image img(256, 8);
    img.paint([](float x, float) { return hueColor(x / 256.0f * 2.0f, 0.85f, 1.0f); });
    return img;
}

Image facetPicture() {
    Image img(64, 64);
    img.paint([](float x, float y) {
        const float u = x / 64.0f, v = y / 64.0f;
        const float edge = std::fmin(std::fmin(u, 1 - u), std::fmin(v, 1 - v));
        const float c = edge < 0.06f ? 0.15f : 0.75f + 0.25f * (1 - u * v);
        return Color{c, c, c * 1.05f > 1 ? 1 : c * 1.05f, 1};
    });
    return img;
}

}  // namespace

SceneFiles floorScene() {
    SceneFiles s;
    s.scenePath = "Floor/Floor.SCENE.scene";
    const int keys = static_cast<int>(kFloorSeconds * kKeysPerSecond) + 1;

    addNode(s, 0, "tiles.material", 0, encodeMaterialList({"tile.png", "ramp.png"}));
    addNode(s, 0, "ball.material", 0, encodeMaterialList({"facets.png", "ramp.png"}));

    MeshData slab;
    slab.name = "Slab";
    slab.materialIndex = 0;
    const float half = kTiles * kTilePitch * 0.5f + 15.0f;
    addBox(slab, Vec3{0, -3, 0}, Vec3{2 * half, 6, 2 * half});
    for (int k = 0; k < keys; ++k) {
        const float t = k / kKeysPerSecond;
        slab.tracks.position.push_back(Vec3{0, 0, 0});
        slab.tracks.rotation.push_back(axisAngle(Vec3{0, 1, 0}, 0.12f * t));
        slab.tracks.scale.push_back(Vec3{1, 1, 1});
    }
    addNode(s, 1, "slab.mesh", 0, encodeMesh(slab));

    MeshData ball;
    ball.name = "MirrorBall";
    ball.materialIndex = 1;
    addFacetBall(ball, Vec3{0, 0, 0}, 24.0f, 24, 12);
    for (int k = 0; k < keys; ++k) {
        const float t = k / kKeysPerSecond;
        ball.tracks.position.push_back(Vec3{0, 105.0f + 4.0f * std::sin(t * 0.8f), 0});
        // The ball was built around z; stand its poles on y, then spin it.
        const Quat q = axisAngle(Vec3{0, 1, 0}, 0.9f * t);
        const Quat stand = axisAngle(Vec3{1, 0, 0}, kPi / 2);
        // Row-vector order: stand first, then spin.
        const Quat c{q.w * stand.x + q.x * stand.w + q.y * stand.z - q.z * stand.y,
                     q.w * stand.y - q.x * stand.z + q.y * stand.w + q.z * stand.x,
                     q.w * stand.z + q.x * stand.y - q.y * stand.x + q.z * stand.w,
                     q.w * stand.w - q.x * stand.x - q.y * stand.y - q.z * stand.z};
        ball.tracks.rotation.push_back(c);
        ball.tracks.scale.push_back(Vec3{1, 1, 1});
    }
    addNode(s, 2, "ball.mesh", 0, encodeMesh(ball));

    for (int j = 0; j < kTiles; ++j) {
        for (int i = 0; i < kTiles; ++i) {
            MeshData tile;
            tile.materialIndex = 0;
            tile.name = "Tile";
            addBox(tile, Vec3{0, 0, 0}, Vec3{kTilePitch - 2, 8, kTilePitch - 2});
            const float x = (i - (kTiles - 1) * 0.5f) * kTilePitch;
            const float z = (j - (kTiles - 1) * 0.5f) * kTilePitch;
            for (int k = 0; k < keys; ++k) {
                const float t = k / kKeysPerSecond;
                tile.tracks.position.push_back(Vec3{x, tileHeight(i, j, t) - 4.0f, z});
                tile.tracks.rotation.push_back(Quat{});
                tile.tracks.scale.push_back(Vec3{1, 1, 1});
            }
            char name[32];
            std::snprintf(name, sizeof name, "tile%d%d.mesh", j, i);
            addNode(s, 10 + j * kTiles + i, name, 1, encodeMesh(tile));
        }
    }

    std::vector<Vec3> lamp;
    for (int k = 0; k < keys; k += 3) {
        const float t = k / kKeysPerSecond;
        lamp.push_back(Vec3{150 * std::sin(t), 160, 150 * std::cos(t)});
    }
    addNode(s, 0, "spot.light", 1, encodeLight(lamp));

    // The camera: a high, wide first pose held until the dancer arrives, then a circling
    // swoop down towards the tiles and up again to look at the ball.
    std::vector<float> fov;
    std::vector<Vec3> eye, target;
    for (int k = 0; k < keys; ++k) {
        const float t = k / kKeysPerSecond;
        const float f = t / kFloorSeconds;
        const float angle = 0.6f + 2.4f * smooth(f);
        const float radius = 270.0f - 120.0f * std::sin(kPi * f);
        const float height = 190.0f - 130.0f * std::sin(kPi * f) + 30.0f * f;
        eye.push_back(Vec3{radius * std::sin(angle), height, -radius * std::cos(angle)});
        target.push_back(Vec3{0, 10.0f + 60.0f * smooth(f), 0});
        fov.push_back(0.95f - 0.2f * std::sin(kPi * f));
    }
    addNode(s, 0, "view.camera", 0, encodeCamera(20.0f, 3000.0f, fov, eye, target));
    return s;
}

SceneFiles tunnelScene() {
    SceneFiles s;
    s.scenePath = "tun/cyl.SCENE.scene";
    MeshData tube;
    tube.name = "Cylinder01";
    addInsideTube(tube, -700.0f, 500.0f, 90.0f, 40, 60, 4.0f, 60.0f);
    addNode(s, 1, "cylinder.mesh", 0, encodeMesh(tube));

    MeshData plate;
    plate.name = "Plane01";
    addFace(plate, Vec3{0, 0, 0}, Vec3{0, 0, 18}, Vec3{0, 4.5f, 0}, Vec3{-1, 0, 0});
    addNode(s, 2, "plate.mesh", 0, encodeMesh(plate));

    const int keys = static_cast<int>(76 * kKeysPerSecond) + 1;
    std::vector<Vec3> lamp;
    for (int k = 0; k < keys; k += 15) lamp.push_back(Vec3{-600.0f + k * 0.3f, 0, 0});
    addNode(s, 0, "glow.light", 1, encodeLight(lamp));

    // Up the tube: fast at first, slowing down in front of the plates; the eye weaves a
    // little and always looks a good way ahead towards the plates' swirl.
    std::vector<float> fov;
    std::vector<Vec3> eye, target;
    const float start = 58.8f, end = 73.6f;
    for (int k = 0; k < keys; ++k) {
        const float t = k / kKeysPerSecond;
        const float f = std::fmin(std::fmax((t - start) / (end - start), 0.0f), 1.0f);
        const float x = 30.0f - 650.0f * (1 - f) * (1 - f);
        const Vec3 e{x, 28.0f * std::sin(1.3f * t), 28.0f * std::cos(0.9f * t)};
        eye.push_back(e);
        target.push_back(Vec3{140.0f + 60.0f * (1 - f), 8.0f * std::sin(0.7f * t), 8.0f * std::cos(0.6f * t)});
        fov.push_back(1.05f + 0.12f * std::sin(0.5f * t));
    }
    addNode(s, 0, "fly.camera", 0, encodeCamera(1.0f, 5000.0f, fov, eye, target));
    return s;
}

SceneFiles sculptureScene() {
    SceneFiles s;
    s.scenePath = "planb/3b.SCENE.scene";
    MeshData core;
    core.name = "Core";
    addFacetBall(core, Vec3{0, 0, 0}, 11.0f, 20, 10);
    core.tracks = oneKey(Vec3{0, 0, 0});
    addNode(s, 1, "core.mesh", 0, encodeMesh(core));

    MeshData inner;
    inner.name = "RingInner";
    addRing(inner, Vec3{0, 0, 0}, 21.0f, 2.2f, 48, 10);
    inner.tracks = oneKey(Vec3{0, 0, 0}, axisAngle(Vec3{1, 0, 0}, kPi / 3));
    addNode(s, 2, "ring1.mesh", 1, encodeMesh(inner));

    MeshData outer;
    outer.name = "RingOuter";
    addRing(outer, Vec3{0, 0, 0}, 31.0f, 1.7f, 64, 8);
    outer.tracks = oneKey(Vec3{0, 0, 0}, axisAngle(Vec3{0, 1, 0}, -kPi / 4));
    addNode(s, 3, "ring2.mesh", 1, encodeMesh(outer));

    for (int i = 0; i < 8; ++i) {
        MeshData cube;
        cube.name = "Cube";
        addBox(cube, Vec3{0, 0, 0}, Vec3{5, 5, 5});
        const float a = 2 * kPi * i / 8;
        const Vec3 p{25.0f * std::cos(a), 25.0f * std::sin(a), 6.0f * std::sin(3 * a)};
        cube.tracks = oneKey(p, axisAngle(Vec3{std::cos(a), 1, 0.5f}, a * 1.7f));
        char name[32];
        std::snprintf(name, sizeof name, "cube%d.mesh", i);
        addNode(s, 10 + i, name, 0, encodeMesh(cube));
    }

    std::vector<float> fov{1.5707964f};
    std::vector<Vec3> eye{Vec3{0, -120, 60}}, target{Vec3{0, 0, 0}};
    addNode(s, 0, "look.camera", 0, encodeCamera(1.0f, 10000.0f, fov, eye, target));
    return s;
}

bool generateScenes(const GenContext& ctx) {
    bool ok = true;
    for (const SceneFiles& scene : {floorScene(), tunnelScene(), sculptureScene()}) {
        for (const auto& [path, bytes] : scene.nodeFiles) ok &= ctx.data.writeBytes(path, bytes);
        ok &= ctx.data.writeBytes(scene.scenePath, encodeScene(scene.entries));
    }
    ok &= ctx.data.writePng("Floor/tile.png", tilePicture(), false);
    ok &= ctx.data.writePng("Floor/ramp.png", rampPicture(), false);
    ok &= ctx.data.writePng("Floor/facets.png", facetPicture(), false);
    return ok;
}

}  // namespace assetgen
