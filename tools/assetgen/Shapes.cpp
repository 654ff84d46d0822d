#include "Shapes.h"

#include <cmath>

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265358979f;

MeshVertex vertex(Vec3 p, Vec3 n, float u, float v) {
    MeshVertex out;
    out.position = p;
    out.normal = n;
    out.u = u;
    out.v = v;
    return out;
}

// Appends triangle a-b-c, turned so that it winds clockwise seen from `outside`.
void addTriangle(MeshData& mesh, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, Vec3 outside) {
    const auto base = static_cast<std::uint16_t>(mesh.vertices.size());
    mesh.vertices.push_back(a);
    mesh.vertices.push_back(b);
    mesh.vertices.push_back(c);
    const bool clockwise = dot(cross(b.position - a.position, c.position - a.position), outside) >= 0;
    mesh.indices.push_back(base);
    mesh.indices.push_back(static_cast<std::uint16_t>(base + (clockwise ? 1 : 2)));
    mesh.indices.push_back(static_cast<std::uint16_t>(base + (clockwise ? 2 : 1)));
}

}  // namespace

void addFace(MeshData& mesh, Vec3 centre, Vec3 across, Vec3 up, Vec3 normal, int columns, int rows) {
    // Corner order a (top left), b (top right), c (bottom right): clockwise when
    // (b - a) x (c - a) points at the viewer, that is along the normal.
    if (dot(cross(across, up * -1.0f), normal) < 0) across = across * -1.0f;
    const std::uint16_t base = static_cast<std::uint16_t>(mesh.vertices.size());
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= columns; ++c) {
            const float u = static_cast<float>(c) / columns;
            const float v = static_cast<float>(r) / rows;
            const Vec3 p = centre + across * (2 * u - 1) + up * (1 - 2 * v);
            mesh.vertices.push_back(vertex(p, normal, u, v));
        }
    }
    const int stride = columns + 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto a = static_cast<std::uint16_t>(base + r * stride + c);
            const auto b = static_cast<std::uint16_t>(a + 1);
            const auto d = static_cast<std::uint16_t>(a + stride);
            const auto e = static_cast<std::uint16_t>(d + 1);
            const std::uint16_t tri[6] = {a, b, e, a, e, d};
            for (std::uint16_t i : tri) mesh.indices.push_back(i);
        }
    }
}

void addBox(MeshData& mesh, Vec3 centre, Vec3 size) {
    const Vec3 h = size * 0.5f;
    const Vec3 X{h.x, 0, 0}, Y{0, h.y, 0}, Z{0, 0, h.z};
    const Vec3 ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};
    addFace(mesh, centre + X, Y, Z, ex);
    addFace(mesh, centre - X, Y, Z, ex * -1.0f);
    addFace(mesh, centre + Y, X, Z, ey);
    addFace(mesh, centre - Y, X, Z, ey * -1.0f);
    addFace(mesh, centre + Z, X, Y, ez);
    addFace(mesh, centre - Z, X, Y, ez * -1.0f);
}

void addInsideTube(MeshData& mesh, float x0, float x1, float radius, int segments, int rings, float uTurns,
                   float vLength) {
    const auto base = static_cast<std::uint16_t>(mesh.vertices.size());
    for (int r = 0; r <= rings; ++r) {
        const float x = x0 + (x1 - x0) * r / rings;
        for (int s = 0; s <= segments; ++s) {
            const float a = 2 * kPi * s / segments;
            const Vec3 out{0, std::cos(a), std::sin(a)};
            mesh.vertices.push_back(vertex(Vec3{x, 0, 0} + out * radius, out * -1.0f,
                                           uTurns * s / segments, (x - x0) / vLength));
        }
    }
    const int stride = segments + 1;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const auto a = static_cast<std::uint16_t>(base + r * stride + s);
            const auto b = static_cast<std::uint16_t>(a + 1);
            const auto d = static_cast<std::uint16_t>(a + stride);
            const auto e = static_cast<std::uint16_t>(d + 1);
            // Front faces look inwards: wind them clockwise seen from the axis.
            const Vec3 inward = mesh.vertices[a].normal;
            const bool cw = dot(cross(mesh.vertices[b].position - mesh.vertices[a].position,
                                      mesh.vertices[e].position - mesh.vertices[a].position),
                                inward) >= 0;
            const std::uint16_t tri[6] = {a, cw ? b : e, cw ? e : b, a, cw ? e : d, cw ? d : e};
            for (std::uint16_t i : tri) mesh.indices.push_back(i);
        }
    }
}

void addFacetBall(MeshData& mesh, Vec3 centre, float radius, int segments, int rings) {
    auto point = [&](int s, int r) {
        const float lon = 2 * kPi * s / segments;
        const float lat = kPi * r / rings - kPi / 2;
        return Vec3{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const Vec3 p00 = point(s, r), p10 = point(s + 1, r), p01 = point(s, r + 1), p11 = point(s + 1, r + 1);
            const Vec3 n = normalized(p00 + p10 + p01 + p11);
            const Vec3 a = centre + p00 * radius, b = centre + p10 * radius;
            const Vec3 c = centre + p11 * radius, d = centre + p01 * radius;
            if (r > 0) addTriangle(mesh, vertex(a, n, 0, 1), vertex(b, n, 1, 1), vertex(c, n, 1, 0), n);
            if (r < rings - 1) addTriangle(mesh, vertex(a, n, 0, 1), vertex(c, n, 1, 0), vertex(d, n, 0, 0), n);
        }
    }
}

void addRing(MeshData& mesh, Vec3 centre, float radius, float tube, int segments, int sides) {
    auto at = [&](int s, int k, Vec3& n) {
        const float a = 2 * kPi * s / segments;
        const float b = 2 * kPi * k / sides;
        const Vec3 dir{std::cos(a), std::sin(a), 0};
        n = dir * std::cos(b) + Vec3{0, 0, std::sin(b)};
        return centre + dir * radius + n * tube;
    };
    for (int s = 0; s < segments; ++s) {
        for (int k = 0; k < sides; ++k) {
            Vec3 n00, n10, n01, n11;
            const Vec3 p00 = at(s, k, n00), p10 = at(s + 1, k, n10), p01 = at(s, k + 1, n01), p11 = at(s + 1, k + 1, n11);
            const float u0 = static_cast<float>(s) / segments * 8, u1 = static_cast<float>(s + 1) / segments * 8;
            const float v0 = static_cast<float>(k) / sides, v1 = static_cast<float>(k + 1) / sides;
            const Vec3 out = normalized(n00 + n10 + n01 + n11);
            addTriangle(mesh, vertex(p00, n00, u0, v0), vertex(p10, n10, u1, v0), vertex(p11, n11, u1, v1), out);
            addTriangle(mesh, vertex(p00, n00, u0, v0), vertex(p11, n11, u1, v1), vertex(p01, n01, u0, v1), out);
        }
    }
}

}  // namespace assetgen
