#include "WorkbenchMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <cctype>

#include "assets/FileChecks.h"
#include "render/VertexFormat.h"

namespace tool {

namespace {

constexpr std::size_t kMostFileBytes = std::size_t{256} << 20;

struct V3 {
    float x, y, z;
};
V3 load3(const float* p) { return {p[0], p[1], p[2]}; }
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
void add(float* to, V3 v) { to[0] += v.x, to[1] += v.y, to[2] += v.z; }
V3 normalized(V3 a, V3 fallback) {
    const float l = std::sqrt(dot(a, a));
    return l > 1e-12f && std::isfinite(l) ? V3{a.x / l, a.y / l, a.z / l} : fallback;
}

bool readFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = path + ": cannot open the file", false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > kMostFileBytes)
        return error = path + ": cannot read the file, or it is larger than 256 MiB", false;
    in.seekg(0);
    bytes.resize(static_cast<std::size_t>(size));
    if (!in.read(bytes.data(), size)) return error = path + ": cannot read the file", false;
    return true;
}

// Per-corner sums of the face normals and of the faces' texture-u directions.
void accumulate(const MeshGeometry& g, std::vector<float>& normals, std::vector<float>& tangents) {
    normals.assign(g.corners.size() * 3, 0.0f);
    tangents.assign(g.corners.size() * 3, 0.0f);
    for (std::size_t t = 0; t + 2 < g.triangles.size(); t += 3) {
        const MeshCorner* c[3] = {&g.corners[g.triangles[t]], &g.corners[g.triangles[t + 1]],
                                  &g.corners[g.triangles[t + 2]]};
        const V3 e1 = sub(load3(c[1]->position), load3(c[0]->position));
        const V3 e2 = sub(load3(c[2]->position), load3(c[0]->position));
        // Clockwise from the front in a left-handed frame: e1 x e2 points out.
        const V3 face = cross(e1, e2);
        const float du1 = c[1]->uv[0] - c[0]->uv[0], dv1 = c[1]->uv[1] - c[0]->uv[1];
        const float du2 = c[2]->uv[0] - c[0]->uv[0], dv2 = c[2]->uv[1] - c[0]->uv[1];
        const float det = du1 * dv2 - du2 * dv1;
        const float r = std::fabs(det) > 1e-12f ? 1.0f / det : 0.0f;
        const V3 tangent{(e1.x * dv2 - e2.x * dv1) * r, (e1.y * dv2 - e2.y * dv1) * r, (e1.z * dv2 - e2.z * dv1) * r};
        for (int k = 0; k < 3; ++k) {
            const std::size_t i = g.triangles[t + static_cast<std::size_t>(k)] * std::size_t{3};
            add(&normals[i], face);
            add(&tangents[i], tangent);
        }
    }
}

D3DCOLOR colourOf(V3 n) {
    auto c = [](float v) { return static_cast<unsigned>((v * 0.5f + 0.5f) * 200.0f + 40.0f); };
    return D3DCOLOR_ARGB(255, c(n.x), c(n.y), c(n.z));
}

}  // namespace

bool readMeshFile(const std::string& path, MeshGeometry& out, std::string& error) {
    std::string bytes;
    if (!readFile(path, bytes, error)) return false;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    MeshFileLayout layout;
    FileCheck check;
    checkMeshBytes(data, bytes.size(), layout, check);
    if (!layout.geometrySound) {
        char what[256];
        check.describe(what, sizeof what);
        return error = path + ": " + what, false;
    }
    D3DVERTEXELEMENT9 elements[17];
    vertexElementsFromMask(layout.formatMask, elements);
    int position = -1, normal = -1, uv = -1;
    for (const D3DVERTEXELEMENT9* e = elements; e->Stream != 0xFF; ++e) {
        if (e->Offset + (e->Type == D3DDECLTYPE_FLOAT2 ? 8u : 12u) > layout.vertexStride) continue;
        if (e->Usage == D3DDECLUSAGE_POSITION && e->Type == D3DDECLTYPE_FLOAT3 && position < 0) position = e->Offset;
        if (e->Usage == D3DDECLUSAGE_NORMAL && e->Type == D3DDECLTYPE_FLOAT3 && normal < 0) normal = e->Offset;
        if (e->Usage == D3DDECLUSAGE_TEXCOORD && e->Type == D3DDECLTYPE_FLOAT2 && uv < 0) uv = e->Offset;
    }
    if (position < 0) return error = path + ": its vertices have no position", false;
    out = MeshGeometry{};
    out.corners.resize(layout.vertexCount);
    for (std::uint32_t v = 0; v < layout.vertexCount; ++v) {
        const std::uint8_t* at = data + layout.vertexOffset + std::size_t{v} * layout.vertexStride;
        MeshCorner& c = out.corners[v];
        std::memcpy(c.position, at + position, 12);
        if (normal >= 0) std::memcpy(c.normal, at + normal, 12);
        if (uv >= 0) std::memcpy(c.uv, at + uv, 8);
    }
    for (std::uint32_t i = 0; i < layout.triangleCount * 3; ++i) {
        std::uint16_t index;
        std::memcpy(&index, data + layout.indexOffset + std::size_t{i} * 2, 2);
        if (index >= layout.vertexCount) return error = path + ": index " + std::to_string(index) + " past the vertices", false;
        out.triangles.push_back(index);
    }
    return true;
}

bool toPreviewMesh(const MeshGeometry& g, PreviewMesh& out, std::string& error) {
    if (g.triangles.empty() || g.corners.empty()) return error = "the mesh has no triangles", false;
    if (g.corners.size() > 65536) return error = "the mesh has more than 65536 corners", false;
    std::vector<float> faceNormals, tangents;
    accumulate(g, faceNormals, tangents);
    out = PreviewMesh{};
    out.vertices.reserve(g.corners.size());
    for (std::size_t i = 0; i < g.corners.size(); ++i) {
        const MeshCorner& c = g.corners[i];
        PreviewVertex x{};
        const V3 fromFaces = normalized(load3(&faceNormals[i * 3]), V3{0, 1, 0});
        const V3 n = normalized(load3(c.normal), fromFaces);
        const V3 t0 = load3(&tangents[i * 3]);
        const V3 side = std::fabs(n.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0};
        const V3 t = normalized(sub(t0, V3{n.x * dot(n, t0), n.y * dot(n, t0), n.z * dot(n, t0)}),
                                normalized(cross(side, n), V3{1, 0, 0}));
        const V3 b = cross(n, t);
        std::memcpy(x.position, c.position, 12);
        std::memcpy(x.normal, &n, 12);
        std::memcpy(x.tangent, &t, 12);
        std::memcpy(x.binormal, &b, 12);
        x.colour0 = colourOf(n);
        x.colour1 = D3DCOLOR_ARGB(255, 128, 128, 128);
        for (auto& uv : x.uv) uv[0] = c.uv[0], uv[1] = c.uv[1];
        out.vertices.push_back(x);
    }
    for (std::uint32_t i : g.triangles) out.indices.push_back(static_cast<std::uint16_t>(i));
    return true;
}

bool loadWorkbenchMesh(const std::string& choice, PreviewMesh& out, std::string& error) {
    MeshShape shape;
    if (parseMeshShape(choice, shape)) {
        out = buildPreviewMesh(shape);
        return true;
    }
    auto endsWith = [&](const char* tail) {
        const std::size_t n = std::strlen(tail);
        if (choice.size() < n) return false;
        return std::equal(choice.end() - static_cast<long>(n), choice.end(), tail,
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    MeshGeometry g;
    if (endsWith(".obj")) {
        std::string text;
        if (!readFile(choice, text, error) || !readObj(text, choice, g, error)) return false;
    } else if (endsWith(".mesh")) {
        if (!readMeshFile(choice, g, error)) return false;
    } else {
        return error = "--mesh is sphere, cube, quad, torus or a .obj or .mesh file, not '" + choice + "'", false;
    }
    if (!toPreviewMesh(g, out, error)) return error = choice + ": " + error, false;
    return true;
}

void meshBounds(const PreviewMesh& mesh, float centre[3], float& radius) {
    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    bool first = true;
    for (const PreviewVertex& v : mesh.vertices) {
        // A file's odd values (infinities, NaN) must not throw the camera off.
        if (!std::isfinite(v.position[0] + v.position[1] + v.position[2])) continue;
        for (int k = 0; k < 3; ++k) {
            lo[k] = first ? v.position[k] : std::min(lo[k], v.position[k]);
            hi[k] = first ? v.position[k] : std::max(hi[k], v.position[k]);
        }
        first = false;
    }
    float r2 = 0;
    for (int k = 0; k < 3; ++k) {
        centre[k] = (lo[k] + hi[k]) / 2;
        r2 += (hi[k] - lo[k]) * (hi[k] - lo[k]) / 4;
    }
    radius = std::isfinite(r2) && r2 > 0 ? std::sqrt(r2) : 1.0f;
}

}  // namespace tool
