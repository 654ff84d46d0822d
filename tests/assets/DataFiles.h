// Builders for the binary data files, byte by byte in the file formats, so that tests
// can write sound files and break them on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9math.h"

namespace testing_support {

struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& u8(std::uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Bytes& u16(std::uint16_t v) {
        u8(v & 0xFF);
        return u8(v >> 8);
    }
    Bytes& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) u8((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& f32(float f) {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        return u32(v);
    }
    Bytes& zeros(std::size_t n) {
        data.insert(data.end(), n, 0);
        return *this;
    }
    Bytes& text(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& vec(const D3DXVECTOR3& v) { return f32(v.x).f32(v.y).f32(v.z); }
    Bytes& quat(const D3DXQUATERNION& q) { return f32(q.x).f32(q.y).f32(q.z).f32(q.w); }
    std::size_t size() const { return data.size(); }
};

struct MeshKeys {
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXQUATERNION> rotations;
    std::vector<D3DXVECTOR3> scales;
};

// A .mesh file with vertices of mask 0x0007 (position, normal, uv: 32 bytes each).
struct MeshFile {
    std::uint32_t materialIndex = 0;
    std::vector<std::uint16_t> indices;  // 3 per triangle
    std::vector<float> vertices;         // 8 floats per vertex
    std::uint16_t mask = 0x0007;
    std::uint32_t stride = 32;
    MeshKeys keys;

    Bytes bytes() const {
        Bytes b;
        b.u32(0x1234).zeros(64).u32(materialIndex);
        b.u32(static_cast<std::uint32_t>(indices.size() / 3));
        b.u32(static_cast<std::uint32_t>(vertices.size() * 4 / stride));
        b.u32(stride).u16(mask);
        for (std::uint16_t i : indices) b.u16(i);
        for (float f : vertices) b.f32(f);
        b.u8(0).zeros(12);
        b.u32(static_cast<std::uint32_t>(keys.positions.size()));
        for (const auto& p : keys.positions) b.vec(p);
        for (const auto& q : keys.rotations) b.quat(q);
        for (const auto& s : keys.scales) b.vec(s);
        return b;
    }
};

// One quad from (x0, y0) to (x1, y1) at height z, uv 0..1, two triangles.
inline MeshFile quadMesh(float x0, float y0, float x1, float y1, float z) {
    MeshFile m;
    m.vertices = {x0, y0, z, 0, 0, 1, 0, 1, x1, y0, z, 0, 0, 1, 1, 1,
                  x0, y1, z, 0, 0, 1, 0, 0, x1, y1, z, 0, 0, 1, 1, 0};
    m.indices = {0, 1, 2, 3, 2, 1};
    return m;
}

inline Bytes materialListBytes(const std::vector<std::string>& names, std::uint32_t declared,
                               std::uint32_t headerValue = 7) {
    Bytes b;
    b.u32(1).u32(headerValue);
    for (int i = 0; i < 68; ++i) b.u8(static_cast<std::uint8_t>(i));
    b.u32(declared);
    std::uint32_t value = 100;
    for (const std::string& n : names) b.u32(static_cast<std::uint32_t>(n.size())).text(n).u32(value++);
    return b;
}

inline Bytes lightBytes(const std::vector<D3DXVECTOR3>& keys) {
    Bytes b;
    b.u32(1).u32(2).zeros(16).u32(static_cast<std::uint32_t>(keys.size()));
    for (const auto& k : keys) b.vec(k);
    return b;
}

inline Bytes cameraBytes(float nearPlane, float farPlane, const std::vector<float>& fov,
                         const std::vector<D3DXVECTOR3>& eye, const std::vector<D3DXVECTOR3>& target) {
    Bytes b;
    b.f32(nearPlane).f32(farPlane).u32(static_cast<std::uint32_t>(fov.size()));
    for (float f : fov) b.f32(f);
    b.u32(static_cast<std::uint32_t>(eye.size()));
    for (const auto& e : eye) b.vec(e);
    for (const auto& t : target) b.vec(t);
    return b;
}

inline bool writeFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

inline bool writeText(const std::string& path, const std::string& text) {
    return writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// A scene line: id in 4 characters, the name, parent id in 4 characters.
inline std::string sceneLine(int id, const std::string& name, int parent) {
    char buffer[300];
    std::snprintf(buffer, sizeof buffer, "%4d%s%4d\n", id, name.c_str(), parent);
    return buffer;
}

}  // namespace testing_support
