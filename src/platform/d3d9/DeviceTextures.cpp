// Texture creation and binding: 2D and cube textures in A8R8G8B8 or X8R8G8B8, and 2D
// render targets in those or a float format.
#include <cstdio>
#include <new>

#include "platform/d3d9/DeviceBase.h"
#include "platform/d3d9/FormatTable.h"
#include "platform/d3d9/Names.h"

namespace d3d9::detail {

HRESULT DeviceBase::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    HRESULT hr = D3D_OK;
    TextureStorage* object = storageOf(texture);
    if (stage >= kSamplerCount) {
        hr = D3DERR_INVALIDCALL;
    } else if (textures_[stage] != object) {
        if (object) object->bindStage();
        if (textures_[stage]) textures_[stage]->unbindStage();
        textures_[stage] = object;
        makeCurrent();
        applyTexture(stage);
    }
    traceResult(hr, "SetTexture %u %s", stage, nameOf(object));
    return hr;
}

HRESULT DeviceBase::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                  HANDLE* sharedHandle) {
    HRESULT hr = D3D_OK;
    Texture* object = nullptr;
    if (texture) *texture = nullptr;
    const bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    // Render targets live in the default pool, as D3D9 has it.
    if (!texture || sharedHandle || pool > D3DPOOL_SCRATCH || (target && pool != D3DPOOL_DEFAULT)) {
        hr = D3DERR_INVALIDCALL;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "tex%u", counters_[kTex] + 1);
        hr = createTextureNamed(width, height, levels, format, usage, pool, name, &object);
        if (SUCCEEDED(hr)) {
            ++counters_[kTex];
            *texture = object;
        }
    }
    traceResult(hr, "CreateTexture %s %u %u %u 0x%x %s %s", nameOf(object), width, height, levels,
                usage, named(formatName(format), format).text, named(poolName(pool), pool).text);
    return hr;
}

namespace {

// Sizes and formats both kinds accept; `levels` 0 becomes the full chain.
bool textureShapeValid(UINT width, UINT height, UINT& levels, D3DFORMAT format, bool target = false) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize ||
        !formatAllows(format, target ? kFormatTargetTexture : kFormatTexture)) {
        return false;
    }
    const UINT full = fullMipCount(width, height);
    if (levels == 0) levels = full;
    return levels <= full;
}

}  // namespace

HRESULT DeviceBase::createTextureNamed(UINT width, UINT height, UINT levels, D3DFORMAT format, DWORD usage,
                                       D3DPOOL pool, const char* name, Texture** texture) {
    *texture = nullptr;
    if (!textureShapeValid(width, height, levels, format, (usage & D3DUSAGE_RENDERTARGET) != 0))
        return D3DERR_INVALIDCALL;
    auto* object = new (std::nothrow) Texture(this, width, height, levels, usage, format, pool);
    if (!object) return E_OUTOFMEMORY;
    if (!realise(object, name)) return D3DERR_OUTOFVIDEOMEMORY;
    *texture = object;
    return D3D_OK;
}

HRESULT DeviceBase::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DCubeTexture9** texture, HANDLE* sharedHandle) {
    HRESULT hr = D3D_OK;
    CubeTexture* object = nullptr;
    if (texture) *texture = nullptr;
    // Render-target cubes are not drawn into by this device.
    if (!texture || sharedHandle || pool > D3DPOOL_SCRATCH || (usage & ~D3DUSAGE_DYNAMIC) ||
        !textureShapeValid(edge, edge, levels, format)) {
        hr = D3DERR_INVALIDCALL;
    } else if (!(object = new (std::nothrow) CubeTexture(this, edge, levels, usage, format, pool))) {
        hr = E_OUTOFMEMORY;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "cube%u", ++counters_[kCube]);
        if (realise(object, name)) {
            *texture = object;
        } else {
            object = nullptr;
            hr = D3DERR_OUTOFVIDEOMEMORY;
        }
    }
    traceResult(hr, "CreateCubeTexture %s %u %u 0x%x %s %s", nameOf(object), edge, levels, usage,
                named(formatName(format), format).text, named(poolName(pool), pool).text);
    return hr;
}

}  // namespace d3d9::detail
