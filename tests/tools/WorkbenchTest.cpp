// The effect workbench's pure parts: the Wavefront OBJ reader with the preview's vertex
// layout made from it, and the controls chosen from a parameter's annotations.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "OrbitCamera.h"
#include "platform/d3dx9/FolderInclude.h"
#include "WorkbenchMesh.h"
#include "WorkbenchWidgets.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace {

using tool::MeshGeometry;
using tool::WidgetKind;

TEST(ObjReader, ReadsCornersFansPolygonsAndMirrorsIntoDirect3D) {
    // A unit square in z = 0 facing +z (counter-clockwise seen from +z, as OBJ has it),
    // as one quad with negative (relative) indices, and a triangle reusing corners.
    const std::string text =
        "# square\n"
        "o square\n"
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
        "vn 0 0 1\n"
        "f -4/-4/-1 -3/-3/-1 -2/-2/-1 -1/-1/-1\n"
        "f 1/1/1 2/2/1 3/3/1\n";
    MeshGeometry g;
    std::string error;
    ASSERT_TRUE(tool::readObj(text, "square.obj", g, error)) << error;
    ASSERT_EQ(g.corners.size(), 4u);      // the same v/vt/vn triples are one corner
    ASSERT_EQ(g.triangles.size(), 9u);    // two from the quad, one more
    // Mirrored in z: the normal points to -z, v is flipped to rows from the top.
    EXPECT_FLOAT_EQ(g.corners[0].normal[2], -1.0f);
    EXPECT_FLOAT_EQ(g.corners[0].uv[1], 1.0f);
    EXPECT_FLOAT_EQ(g.corners[2].uv[1], 0.0f);
    // Clockwise seen from the front (from -z, looking along +z, x right and y up), as
    // Direct3D draws front faces: the edges' cross product points along the normal.
    for (std::size_t t = 0; t < g.triangles.size(); t += 3) {
        const float* a = g.corners[g.triangles[t]].position;
        const float* b = g.corners[g.triangles[t + 1]].position;
        const float* c = g.corners[g.triangles[t + 2]].position;
        const float z = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
        EXPECT_GT(z * g.corners[g.triangles[t]].normal[2], 0.0f) << "triangle " << t / 3;
    }
    tool::PreviewMesh mesh;
    ASSERT_TRUE(tool::toPreviewMesh(g, mesh, error)) << error;
    EXPECT_EQ(mesh.indices.size(), 9u);
    EXPECT_FLOAT_EQ(mesh.vertices[1].normal[2], -1.0f);
    // The tangent follows texture u (+x here) and is at right angles to the normal.
    EXPECT_NEAR(mesh.vertices[1].tangent[0], 1.0f, 1e-5f);
}

TEST(ObjReader, ComputesNormalsTheFileLeavesOut) {
    MeshGeometry g;
    std::string error;
    ASSERT_TRUE(tool::readObj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "t.obj", g, error)) << error;
    tool::PreviewMesh mesh;
    ASSERT_TRUE(tool::toPreviewMesh(g, mesh, error)) << error;
    // Facing the viewer of a left-handed frame looking along +z: the normal is -z.
    for (const tool::PreviewVertex& v : mesh.vertices) EXPECT_NEAR(v.normal[2], -1.0f, 1e-5f);
}

TEST(ObjReader, RefusesMalformedFilesNamingTheLine) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", "bad.obj:4: position 4 does not exist"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 0\n", "bad.obj:4: position 0 does not exist"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 1 2\n", "bad.obj:4: position -4 does not exist"},
        {"v 0 0\n", "bad.obj:1: 'v' needs 3 numbers"},
        {"v 0 zero 0\n", "bad.obj:1: 'zero' is not a number"},
        {"v 0 1e999 0\n", "bad.obj:1: '1e999' is not a number"},
        {"v 0 0 0\nv 1 0 0\n\nf 1 2\n", "bad.obj:4: a face needs at least three corners"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/1 3/1\n", "bad.obj:4: texture coordinate 1 does not exist"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/// 2 3\n", "bad.obj:4: '1///' is not a face corner"},
        {"v 0 0 0\n", "bad.obj: no faces"},
    };
    for (const auto& c : cases) {
        MeshGeometry g;
        std::string error;
        EXPECT_FALSE(tool::readObj(c.text, "bad.obj", g, error)) << c.text;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error;
    }
}

// The parameters of a small effect, as the parser reads them.
fx::EffectDescription parse(const char* text) {
    fx::EffectDescription d;
    fx::ParseError error;
    EXPECT_TRUE(fx::parseEffect(text, d, error)) << error.line << ": " << error.message;
    return d;
}

TEST(WorkbenchWidgets, ChoosesTheControlFromAnnotationsAndSemantics) {
    const fx::EffectDescription d = parse(R"(
float Glow < string UIName = "Rim glow"; string UIHelp = "edge light"; float UIMin = 0; float UIMax = 2; float UIStep = 0.5; > = 0;
float Free < float UIMin = 1; > = 3;
float2 Spin < string UIWidget = "Spinner"; float UIMin = 0; float UIMax = 1; > = {0, 0};
float3 Tint : DIFFUSE = {1, 0, 0};
float4 Paint < string UIWidget = "Color"; > = {1, 1, 1, 1};
float3 Direction : DIRECTION;
float Hidden < string UIWidget = "None"; > = 1;
int Count < int UIMin = 1; int UIMax = 8; > = 2;
bool On = true;
texture Picture;
float4x4 World : WORLD;
float Weights[4];
)");
    auto widget = [&](const char* name) { return tool::widgetFor(d.parameters[static_cast<std::size_t>(d.findParameter(name))]); };
    const tool::ParameterWidget glow = widget("Glow");
    EXPECT_EQ(glow.kind, WidgetKind::Slider);
    EXPECT_EQ(glow.label, "Rim glow");
    EXPECT_EQ(glow.help, "edge light");
    EXPECT_EQ(glow.min, 0.0f);
    EXPECT_EQ(glow.max, 2.0f);
    EXPECT_EQ(glow.step, 0.5f);
    // Without both ends of a range, or as a spinner, the value is dragged.
    EXPECT_EQ(widget("Free").kind, WidgetKind::Drag);
    EXPECT_EQ(widget("Free").label, "Free");
    EXPECT_EQ(widget("Spin").kind, WidgetKind::Drag);
    EXPECT_EQ(widget("Spin").components, 2);
    EXPECT_EQ(widget("Tint").kind, WidgetKind::Colour);
    EXPECT_EQ(widget("Paint").kind, WidgetKind::Colour);
    EXPECT_EQ(widget("Paint").components, 4);
    EXPECT_EQ(widget("Direction").kind, WidgetKind::Drag);
    EXPECT_EQ(widget("Hidden").kind, WidgetKind::None);
    const tool::ParameterWidget count = widget("Count");
    EXPECT_EQ(count.kind, WidgetKind::Integer);
    EXPECT_TRUE(count.ranged);
    EXPECT_EQ(count.max, 8.0f);
    EXPECT_EQ(widget("On").kind, WidgetKind::Check);
    EXPECT_EQ(widget("Picture").kind, WidgetKind::Texture);
    EXPECT_EQ(widget("World").kind, WidgetKind::None);
    EXPECT_EQ(widget("Weights").kind, WidgetKind::None);
}

TEST(FolderInclude, SearchesTheIncludingFoldersThenTheIncludeFolders) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(testing::TempDir()) / "workbench-include";
    fs::remove_all(root);
    fs::create_directories(root / "fx" / "sub");
    fs::create_directories(root / "inc");
    const auto write = [&](const fs::path& p, const char* text) { std::ofstream(root / p) << text; };
    write("fx/sub/a.fxh", "a");
    write("fx/sub/c.fxh", "c beside a");
    write("fx/c.fxh", "c beside the effect");
    write("inc/a.fxh", "a of the include folder");
    write("inc/b.fxh", "b");
    FolderInclude include((root / "fx" / "e.fx").string(), {(root / "inc").string()});
    const auto open = [&](D3DXINCLUDE_TYPE type, const char* name, const void* parent, const void*& data) {
        UINT bytes = 0;
        data = nullptr;
        if (FAILED(include.Open(type, name, parent, &data, &bytes))) return std::string("(failed)");
        return std::string(static_cast<const char*>(data), bytes);
    };
    const void* a = nullptr;
    const void* other = nullptr;
    EXPECT_EQ(open(D3DXINC_LOCAL, "sub\\a.fxh", nullptr, a), "a");
    // "name" from the folder of the file that includes it.
    EXPECT_EQ(open(D3DXINC_LOCAL, "c.fxh", a, other), "c beside a");
    include.Close(other);
    EXPECT_EQ(open(D3DXINC_LOCAL, "c.fxh", nullptr, other), "c beside the effect");
    include.Close(other);
    // <name> from the include folders before the effect's own.
    EXPECT_EQ(open(D3DXINC_SYSTEM, "b.fxh", nullptr, other), "b");
    include.Close(other);
    EXPECT_EQ(open(D3DXINC_SYSTEM, "missing.fxh", nullptr, other), "(failed)");
    include.Close(a);
    EXPECT_EQ(include.opened().size(), 4u);  // each file once, for the watch
    fs::remove_all(root);
}

TEST(OrbitCamera, FramesTheMeshAndKeepsItsDistanceWhileTurning) {
    tool::OrbitCamera camera;
    const D3DXVECTOR3 centre(10, -2, 5);
    camera.frame(centre, 3.0f);
    const auto distance = [&] {
        const D3DXVECTOR3 e = camera.eye();
        return std::sqrt((e.x - 10) * (e.x - 10) + (e.y + 2) * (e.y + 2) + (e.z - 5) * (e.z - 5));
    };
    // Every extreme point of the sphere lies inside the picture and the depth range.
    const auto insideView = [&](const D3DXVECTOR3& p) {
        D3DXMATRIX vp;
        const D3DXMATRIX view = camera.view(), projection = camera.projection(640, 480);
        D3DXMatrixMultiply(&vp, &view, &projection);
        D3DXVECTOR4 c;
        D3DXVec3Transform(&c, &p, &vp);
        return c.w > 0 && std::fabs(c.x / c.w) < 1 && std::fabs(c.y / c.w) < 1 && c.z / c.w > 0 && c.z / c.w < 1;
    };
    const float d0 = distance();
    for (const D3DXVECTOR3 offset : {D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(-3, 0, 0), D3DXVECTOR3(0, 3, 0),
                                     D3DXVECTOR3(0, -3, 0), D3DXVECTOR3(0, 0, 3), D3DXVECTOR3(0, 0, -3)})
        EXPECT_TRUE(insideView(D3DXVECTOR3(10 + offset.x, -2 + offset.y, 5 + offset.z)));
    camera.turn(400, 5000);  // far past straight up: held just short of it
    EXPECT_NEAR(distance(), d0, 1e-3f * d0);
    EXPECT_TRUE(std::isfinite(camera.view()._11));
    EXPECT_TRUE(insideView(centre));
    camera.zoom(1000);  // never into the middle of the mesh
    EXPECT_GT(distance(), 0.1f);
}

}  // namespace
