#include "PreviewMesh.h"

#include <cmath>
#include <cstddef>

namespace tool {

namespace {

constexpr float kPi = 3.14159265358979f;

struct V3 {
    float x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 normalized(V3 a) {
    const float l = std::sqrt(dot(a, a));
    return l > 1e-8f ? V3{a.x / l, a.y / l, a.z / l} : V3{0, 0, 1};
}

// A colour from the normal, so that shaders which show vertex colours show the shape.
D3DCOLOR colourOf(V3 n) {
    auto c = [](float v) { return static_cast<unsigned>((v * 0.5f + 0.5f) * 200.0f + 40.0f); };
    return D3DCOLOR_ARGB(255, c(n.x), c(n.y), c(n.z));
}

void put(PreviewMesh& m, V3 p, V3 n, V3 t, float u, float v) {
    PreviewVertex x{};
    n = normalized(n);
    t = normalized(t - V3{n.x * dot(n, t), n.y * dot(n, t), n.z * dot(n, t)});
    const V3 b = cross(n, t);
    const float* src[4] = {&p.x, &n.x, &t.x, &b.x};
    float* dst[4] = {x.position, x.normal, x.tangent, x.binormal};
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 3; ++i) dst[k][i] = src[k][i];
    x.colour0 = colourOf(n);
    // Mid grey: shaders that take per-instance data from the second colour (offsets
    // around 0.5) then keep the mesh where it is.
    x.colour1 = D3DCOLOR_ARGB(255, 128, 128, 128);
    for (auto& uv : x.uv) uv[0] = u, uv[1] = v;
    m.vertices.push_back(x);
}

// One triangle, turned so that it faces along the normals of its corners: Direct3D's
// default culling drops counter-clockwise triangles.
void triangle(PreviewMesh& m, std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    auto pos = [&](std::uint16_t i) {
        const float* p = m.vertices[i].position;
        return V3{p[0], p[1], p[2]};
    };
    auto nrm = [&](std::uint16_t i) {
        const float* p = m.vertices[i].normal;
        return V3{p[0], p[1], p[2]};
    };
    const V3 face = cross(pos(b) - pos(a), pos(c) - pos(a));
    if (dot(face, nrm(a) + nrm(b) + nrm(c)) < 0) std::swap(b, c);
    m.indices.insert(m.indices.end(), {a, b, c});
}

// A (columns + 1) x (rows + 1) grid of vertices from a surface function, two triangles a cell.
template <typename Surface>
void grid(PreviewMesh& m, int columns, int rows, Surface surface) {
    const auto first = static_cast<std::uint16_t>(m.vertices.size());
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const float u = static_cast<float>(i) / columns, v = static_cast<float>(j) / rows;
            V3 p, n, t;
            surface(u, v, p, n, t);
            put(m, p, n, t, u, v);
        }
    const int stride = columns + 1;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const auto a = static_cast<std::uint16_t>(first + j * stride + i);
            const auto b = static_cast<std::uint16_t>(a + 1), c = static_cast<std::uint16_t>(a + stride),
                       d = static_cast<std::uint16_t>(a + stride + 1);
            triangle(m, a, b, c);
            triangle(m, b, d, c);
        }
}

void sphere(PreviewMesh& m) {
    grid(m, 48, 24, [](float u, float v, V3& p, V3& n, V3& t) {
        const float phi = u * 2 * kPi, theta = v * kPi;
        n = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
        p = n;
        t = {-std::sin(phi), 0, std::cos(phi)};
    });
}

void torus(PreviewMesh& m) {
    grid(m, 64, 24, [](float u, float v, V3& p, V3& n, V3& t) {
        const float a = u * 2 * kPi, b = v * 2 * kPi, ring = 0.7f, tube = 0.3f;
        // The ring faces the camera, so that the hole shows.
        n = {std::cos(b) * std::cos(a), std::cos(b) * std::sin(a), std::sin(b)};
        p = {(ring + tube * std::cos(b)) * std::cos(a), (ring + tube * std::cos(b)) * std::sin(a), tube * std::sin(b)};
        t = {-std::sin(a), std::cos(a), 0};
    });
}

void quad(PreviewMesh& m) {
    // Upright, facing the camera (which looks along +z), texture v running down.
    grid(m, 1, 1, [](float u, float v, V3& p, V3& n, V3& t) {
        p = {u * 2 - 1, 1 - v * 2, 0};
        n = {0, 0, -1};
        t = {1, 0, 0};
    });
}

void cube(PreviewMesh& m) {
    const V3 axes[6][3] = {{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                           {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
                           {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}};
    const float s = 0.6f;
    for (const auto& face : axes) {
        const V3 n = face[0], t = face[1], b = face[2];
        grid(m, 1, 1, [&](float u, float v, V3& p, V3& nn, V3& tt) {
            const float x = (u * 2 - 1) * s, y = (1 - v * 2) * s;
            p = {n.x * s + t.x * x + b.x * y, n.y * s + t.y * x + b.y * y, n.z * s + t.z * x + b.z * y};
            nn = n;
            tt = t;
        });
    }
}

}  // namespace

bool parseMeshShape(const std::string& text, MeshShape& shape) {
    static const struct {
        const char* name;
        MeshShape shape;
    } shapes[] = {{"sphere", MeshShape::Sphere}, {"cube", MeshShape::Cube}, {"quad", MeshShape::Quad},
                  {"torus", MeshShape::Torus}};
    for (const auto& s : shapes)
        if (text == s.name) {
            shape = s.shape;
            return true;
        }
    return false;
}

PreviewMesh buildPreviewMesh(MeshShape shape) {
    PreviewMesh m;
    switch (shape) {
        case MeshShape::Sphere: sphere(m); break;
        case MeshShape::Cube: cube(m); break;
        case MeshShape::Quad: quad(m); break;
        case MeshShape::Torus: torus(m); break;
    }
    return m;
}

const D3DVERTEXELEMENT9* previewDeclaration() {
    auto at = [](std::size_t offset) { return static_cast<WORD>(offset); };
    static const D3DVERTEXELEMENT9 elements[] = {
        {0, at(offsetof(PreviewVertex, position)), D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, at(offsetof(PreviewVertex, normal)), D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        {0, at(offsetof(PreviewVertex, tangent)), D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
        {0, at(offsetof(PreviewVertex, binormal)), D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BINORMAL, 0},
        {0, at(offsetof(PreviewVertex, colour0)), D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, at(offsetof(PreviewVertex, colour1)), D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 1},
        {0, at(offsetof(PreviewVertex, uv[0])), D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {0, at(offsetof(PreviewVertex, uv[1])), D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
        {0, at(offsetof(PreviewVertex, uv[2])), D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
        {0, at(offsetof(PreviewVertex, uv[3])), D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 3},
        D3DDECL_END()};
    return elements;
}

}  // namespace tool
