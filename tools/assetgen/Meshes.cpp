// The three meshes the show loads on their own:
//   Dance/Dancer.SCENEPlane01.mesh  the dancer card: 54 x 72 units standing upright in the
//       x-z plane (z up, feet at z = 0), facing -y; cut into 6 x 12 cells so that the
//       effect can sway it; v = 0 at the top of the picture.
//   box/box.SCENEBox01.mesh  a 40-unit cube centred on its origin: the tumbling box of the
//       box room, the 480 x 480 x 160 hall of the equalizer (scaled 12 x 12 x 4) and its
//       bars, which stand 60 apart.
//   st/sten.SCENEPlane02.mesh  the light curtain of the equalizer: 600 x 220 in the x-y
//       plane (y from 0 to 220, local z = 0); the scene turns it a quarter turn about x,
//       which stands it upright in the x-z plane with its top edge at z = 220.
#include "Meshes.h"

#include "Shapes.h"
#include "Steps.h"

namespace assetgen {

MeshData dancerMesh() {
    MeshData m;
    m.name = "Plane01";
    addFace(m, Vec3{0, 0, 36}, Vec3{27, 0, 0}, Vec3{0, 0, 36}, Vec3{0, -1, 0}, 6, 12);
    return m;
}

MeshData boxMesh() {
    MeshData m;
    m.name = "Box01";
    addBox(m, Vec3{0, 0, 0}, Vec3{40, 40, 40});
    return m;
}

MeshData curtainMesh() {
    MeshData m;
    m.name = "Plane02";
    addFace(m, Vec3{0, 110, 0}, Vec3{300, 0, 0}, Vec3{0, 110, 0}, Vec3{0, 0, -1}, 16, 8);
    return m;
}

bool generateMeshes(const GenContext& ctx) {
    bool ok = ctx.data.writeBytes("Dance/Dancer.SCENEPlane01.mesh", encodeMesh(dancerMesh()));
    ok &= ctx.data.writeBytes("box/box.SCENEBox01.mesh", encodeMesh(boxMesh()));
    ok &= ctx.data.writeBytes("st/sten.SCENEPlane02.mesh", encodeMesh(curtainMesh()));
    return ok;
}

}  // namespace assetgen
