#include "assets/FileChecks.h"
#include "assets/TrackSpans.h"
#include "render/VertexFormat.h"

namespace {
constexpr std::size_t kPositionKey = 12;
constexpr std::size_t kRotationKey = 16;
constexpr std::size_t kScaleKey = 12;

bool checkGeometry(ByteReader& r, MeshFileLayout& layout, FileCheck& check) {
    if (r.size < MESH_HEADER_SIZE)
        return check.fail(r.size, "file ends inside the %zu-byte header", MESH_HEADER_SIZE);
    r.skip(68);
    r.u32(layout.materialIndex);
    r.u32(layout.triangleCount);
    r.u32(layout.vertexCount);
    r.u32(layout.vertexStride);
    r.u16(layout.formatMask);
    const std::uint32_t t = layout.triangleCount;
    const std::uint32_t v = layout.vertexCount;
    const std::uint32_t s = layout.vertexStride;
    if (v == 0) return check.fail(76, "the mesh has no vertices");
    if (v > MESH_MAX_VERTICES)
        return check.fail(76, "%u vertices; 16-bit indices reach %u at most", v, MESH_MAX_VERTICES);
    if (t == 0) return check.fail(72, "the mesh has no triangles");
    // Padding after the elements is allowed: the buffer is bound with the file's stride.
    // A shorter stride would let the elements run into the next vertex (or past the last).
    const std::uint32_t needed = vertexSizeFromMask(layout.formatMask);
    if (s < needed)
        return check.fail(80, "vertex stride %u is smaller than the %u bytes of format mask 0x%04X",
                          s, needed, layout.formatMask);
    if (s % 4 != 0) return check.fail(80, "vertex stride %u is not a multiple of 4", s);

    layout.indexOffset = r.pos;
    const std::uint64_t indexBytes = static_cast<std::uint64_t>(t) * 6;
    if (indexBytes > r.remaining())
        return check.fail(r.pos, "%u triangles need %llu index bytes but only %zu remain", t,
                          static_cast<unsigned long long>(indexBytes), r.remaining());
    for (std::uint64_t i = 0; i < static_cast<std::uint64_t>(t) * 3; ++i) {
        std::uint16_t index = 0;
        const std::size_t at = r.pos;
        r.u16(index);
        if (index >= v)
            return check.fail(at, "index %llu is %u, not below the vertex count %u",
                              static_cast<unsigned long long>(i), index, v);
    }
    layout.vertexOffset = r.pos;
    const std::uint64_t vertexBytes = static_cast<std::uint64_t>(v) * s;
    if (vertexBytes > r.remaining())
        return check.fail(r.pos, "%u vertices of %u bytes need %llu bytes but only %zu remain", v,
                          s, static_cast<unsigned long long>(vertexBytes), r.remaining());
    r.pos += static_cast<std::size_t>(vertexBytes);
    return true;
}

bool checkTracks(ByteReader& r, MeshFileLayout& layout, FileCheck& check) {
    const std::size_t at = r.pos;
    std::uint32_t k = 0;
    if (!r.skip(13) || !r.u32(k)) return check.fail(at, "file ends before the key count");
    // With a shared count of 0 each track states its own, and the file may end early.
    const bool own = k == 0;
    return readTrackSpan(r, k, kPositionKey, own, "position", layout.position, check) &&
           readTrackSpan(r, k, kRotationKey, own, "rotation", layout.rotation, check) &&
           readTrackSpan(r, k, kScaleKey, own, "scale", layout.scale, check);
}
}  // namespace

bool checkMeshBytes(const std::uint8_t* data, std::size_t size, MeshFileLayout& layout,
                    FileCheck& check) {
    layout = MeshFileLayout{};
    ByteReader r{data, size};
    if (!checkGeometry(r, layout, check)) return false;
    layout.geometrySound = true;
    if (!checkTracks(r, layout, check)) {
        layout.position = layout.rotation = layout.scale = TrackSpan{};
        return false;
    }
    layout.tracksSound = true;
    return true;
}
