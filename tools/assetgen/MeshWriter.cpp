#include "MeshWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace assetgen {

namespace {

struct Bytes {
    std::vector<std::uint8_t> out;
    void u8(std::uint8_t v) { out.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void f32(float f) {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        u32(v);
    }
    void vec(const Vec3& v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
    void zeros(std::size_t n) { out.insert(out.end(), n, 0); }
    void text(const std::string& s, std::size_t field) {
        for (std::size_t i = 0; i < field; ++i) u8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
    }
};

}  // namespace

void MeshData::addQuad(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d) {
    const auto base = static_cast<std::uint16_t>(vertices.size());
    vertices.push_back(a);
    vertices.push_back(b);
    vertices.push_back(c);
    vertices.push_back(d);
    const std::uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
    for (std::uint16_t i : quad) indices.push_back(static_cast<std::uint16_t>(base + i));
}

std::vector<std::uint8_t> encodeMesh(const MeshData& mesh) {
    Bytes b;
    b.u32(1);                // format version, for readers of a dump
    b.text(mesh.name, 64);
    b.u32(mesh.materialIndex);
    b.u32(static_cast<std::uint32_t>(mesh.indices.size() / 3));
    b.u32(static_cast<std::uint32_t>(mesh.vertices.size()));
    b.u32(kMeshStride);
    b.u16(kMeshFormatMask);
    for (std::size_t i = 0; i < mesh.indices.size() / 3 * 3; ++i) b.u16(mesh.indices[i]);
    for (const MeshVertex& v : mesh.vertices) {
        b.vec(v.position);
        b.vec(v.normal);
        b.f32(v.u);
        b.f32(v.v);
    }
    b.u8(0);
    b.zeros(12);
    const MeshTracks& t = mesh.tracks;
    const std::size_t keys = t.position.size();
    b.u32(static_cast<std::uint32_t>(keys));
    if (keys == 0) {
        // Without a shared count each track carries its own, here none.
        b.u32(0);
        b.u32(0);
        b.u32(0);
        return b.out;
    }
    for (std::size_t k = 0; k < keys; ++k) b.vec(t.position[k]);
    for (std::size_t k = 0; k < keys; ++k) {
        const Quat q = k < t.rotation.size() ? t.rotation[k] : Quat{};
        b.f32(q.x);
        b.f32(q.y);
        b.f32(q.z);
        b.f32(q.w);
    }
    for (std::size_t k = 0; k < keys; ++k) b.vec(k < t.scale.size() ? t.scale[k] : Vec3{1, 1, 1});
    return b.out;
}

std::vector<std::uint8_t> encodeMaterialList(const std::vector<std::string>& textures) {
    Bytes b;
    b.u32(1);
    b.u32(static_cast<std::uint32_t>(textures.size()));
    // A plain white material: diffuse, ambient, specular, emissive (r, g, b, a) and power.
    const float material[17] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 16};
    for (float f : material) b.f32(f);
    b.u32(static_cast<std::uint32_t>(textures.size()));
    for (std::size_t i = 0; i < textures.size(); ++i) {
        b.u32(static_cast<std::uint32_t>(textures[i].size()));
        for (char c : textures[i]) b.u8(static_cast<std::uint8_t>(c));
        b.u32(static_cast<std::uint32_t>(i));
    }
    return b.out;
}

std::vector<std::uint8_t> encodeCamera(float nearPlane, float farPlane, const std::vector<float>& fov,
                                       const std::vector<Vec3>& eye, const std::vector<Vec3>& target) {
    Bytes b;
    b.f32(nearPlane);
    b.f32(farPlane);
    b.u32(static_cast<std::uint32_t>(fov.size()));
    for (float f : fov) b.f32(f);
    const std::size_t n = eye.size() < target.size() ? eye.size() : target.size();
    b.u32(static_cast<std::uint32_t>(n));
    if (n == 0) {
        b.u32(0);
        b.u32(0);
        return b.out;
    }
    for (std::size_t k = 0; k < n; ++k) b.vec(eye[k]);
    for (std::size_t k = 0; k < n; ++k) b.vec(target[k]);
    return b.out;
}

std::vector<std::uint8_t> encodeLight(const std::vector<Vec3>& position) {
    Bytes b;
    b.u32(1);  // point light
    b.u32(0);
    b.zeros(16);
    b.u32(static_cast<std::uint32_t>(position.size()));
    for (const Vec3& p : position) b.vec(p);
    return b.out;
}

std::vector<std::uint8_t> encodeScene(const std::vector<SceneEntry>& entries) {
    std::string text;
    char field[16];
    for (const SceneEntry& e : entries) {
        std::snprintf(field, sizeof field, "%4d", e.id);
        text += field;
        text += e.file;
        std::snprintf(field, sizeof field, "%4d", e.parent);
        text += field;
        text += '\n';
    }
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0xFF);
    return out;
}

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalized(Vec3 a) {
    const float l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}
Quat axisAngle(Vec3 axis, float radians) {
    const Vec3 n = normalized(axis);
    const float s = std::sin(radians * 0.5f);
    return {n.x * s, n.y * s, n.z * s, std::cos(radians * 0.5f)};
}

}  // namespace assetgen
