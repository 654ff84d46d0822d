#include <cstring>
#include <vector>

#include "app/globals/DisplaySettings.h"
#include "assets/FileChecks.h"
#include "assets/Loaders.h"
#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"
#include "render/D3DError.h"
#include "render/VertexFormat.h"

namespace {
template <class Track>
void readSpan(Track& track, std::FILE* stream, const TrackSpan& span) {
    if (span.count == 0) return;
    if (std::fseek(stream, static_cast<long>(span.keysOffset), SEEK_SET) != 0) return;
    track.readFrom(stream, span.count);
}

bool lockAndCopy(IDirect3DIndexBuffer9* buffer, const void* source, std::size_t bytes, DWORD flags) {
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, 0, &target, flags)) || !target) return false;
    std::memcpy(target, source, bytes);
    buffer->Unlock();
    return true;
}

bool lockAndCopy(IDirect3DVertexBuffer9* buffer, const void* source, std::size_t bytes, DWORD flags) {
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, 0, &target, flags)) || !target) return false;
    std::memcpy(target, source, bytes);
    buffer->Unlock();
    return true;
}
}  // namespace

void loadMeshStream(Mesh& mesh, std::FILE* stream, const char* path) {
    std::vector<std::uint8_t> bytes;
    if (!readWholeStream(stream, bytes)) {
        MessageBoxA(nullptr, path, "Failed To Open The MeshFile", MB_OK);
        return;
    }
    MeshFileLayout layout;
    FileCheck check;
    checkMeshBytes(bytes.data(), bytes.size(), layout, check);
    if (!check.ok) reportBadFile(path, check);
    if (!layout.geometrySound) return;

    mesh.materialIndex = layout.materialIndex;
    mesh.triangleCount = layout.triangleCount;
    VertexStaging staging;
    staging.stride = layout.vertexStride;
    staging.formatMask = layout.formatMask;
    staging.allocate(layout.vertexCount);
    if (!staging.data) return;  // reported by allocate; no vertices can be read
    createDeclarationFromMask(staging, &mesh.vertexDecl);
    mesh.vertexStride = layout.vertexStride;
    mesh.vertexCount = layout.vertexCount;

    const std::size_t indexBytes = static_cast<std::size_t>(layout.triangleCount) * 6;
    const std::size_t vertexBytes = static_cast<std::size_t>(layout.vertexCount) * layout.vertexStride;
    HRESULT hr = gDevice ? gDevice->CreateIndexBuffer(static_cast<UINT>(indexBytes), D3DUSAGE_WRITEONLY,
                                                      D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                      &mesh.indexBuffer, nullptr)
                         : D3DERR_INVALIDCALL;
    if (FAILED(hr) || !mesh.indexBuffer) {
        mesh.indexBuffer = nullptr;
        showD3DError(FAILED(hr) ? hr : E_FAIL, "IndexBuffer", path);
        return;
    }
    hr = gDevice->CreateVertexBuffer(static_cast<UINT>(vertexBytes),
                                     D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, staging.fvf,
                                     D3DPOOL_DEFAULT, &mesh.vertexBuffer, nullptr);
    if (FAILED(hr) || !mesh.vertexBuffer) {
        mesh.vertexBuffer = nullptr;
        showD3DError(FAILED(hr) ? hr : E_FAIL, "VertexBuffer", path);
        return;
    }
    if (!lockAndCopy(mesh.indexBuffer, bytes.data() + layout.indexOffset, indexBytes, 0)) {
        showD3DError(E_FAIL, "IndexBuffer", path);
        return;
    }
    std::memcpy(staging.data, bytes.data() + layout.vertexOffset, vertexBytes);
    if (!lockAndCopy(mesh.vertexBuffer, staging.data, vertexBytes, D3DLOCK_DISCARD)) {
        showD3DError(E_FAIL, "VertexBuffer", path);
        return;
    }
    if (!layout.tracksSound) return;
    readSpan(mesh.positionTrack, stream, layout.position);
    readSpan(mesh.rotationTrack, stream, layout.rotation);
    readSpan(mesh.scaleTrack, stream, layout.scale);
}

void Mesh::load(const char* path) {
    std::FILE* stream = win32::openFile(path, "rb");
    if (!stream) {
        MessageBoxA(nullptr, path, "Failed To Open The MeshFile", MB_OK);
        return;
    }
    loadMeshStream(*this, stream, path);
    std::fclose(stream);
}
