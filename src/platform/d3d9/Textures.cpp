// Textures: level descriptions, locking (the texels of one level rectangle at a time) and
// the lookup from a texture interface to its storage.
#include <cstdio>
#include <new>

#include "platform/d3d9/DeviceBase.h"

namespace d3d9::detail {

TextureStorage::TextureStorage(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage,
                               D3DFORMAT format, D3DPOOL pool, UINT faces)
    : Child(device), width(width), height(height), levels(levels), usage(usage), format(format), pool(pool),
      faces(faces) {}

TextureStorage::~TextureStorage() { device_->destroyGl(*this); }

template <class Interface, D3DRESOURCETYPE kType>
void TextureOf<Interface, kType>::onRelease(ULONG left) {
    device_->trace("Release %s %u", name_, left);
}

template class TextureOf<IDirect3DTexture9, D3DRTYPE_TEXTURE>;
template class TextureOf<IDirect3DCubeTexture9, D3DRTYPE_CUBETEXTURE>;

HRESULT TextureStorage::levelDesc(UINT level, D3DSURFACE_DESC* out) const {
    if (!out || level >= levels) return D3DERR_INVALIDCALL;
    out->Format = format;
    out->Type = D3DRTYPE_SURFACE;
    out->Usage = usage;
    out->Pool = pool;
    out->MultiSampleType = D3DMULTISAMPLE_NONE;
    out->MultiSampleQuality = 0;
    out->Width = levelWidth(level);
    out->Height = levelHeight(level);
    return D3D_OK;
}

HRESULT TextureStorage::lock(UINT face, UINT level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
    HRESULT hr = D3D_OK;
    const LONG w = static_cast<LONG>(levelWidth(level)), h = static_cast<LONG>(levelHeight(level));
    RECT r{0, 0, w, h};
    if (rect) r = *rect;
    if (!out || face >= faces || level >= levels || locked_ || (usage & D3DUSAGE_RENDERTARGET) ||
        (pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC)) || r.left < 0 || r.top < 0 ||
        r.right > w || r.bottom > h || r.left >= r.right || r.top >= r.bottom) {
        hr = D3DERR_INVALIDCALL;
    } else {
        const std::size_t pitch = static_cast<std::size_t>(r.right - r.left) * 4;
        locked_.reset(new (std::nothrow) std::uint8_t[pitch * static_cast<std::size_t>(r.bottom - r.top)]());
        if (!locked_) {
            hr = E_OUTOFMEMORY;
        } else {
            // A discarded level need not be read: the caller writes all of it.
            if (!(flags & D3DLOCK_DISCARD)) device_->readTexels(*this, face, level, r, locked_.get());
            lockedFace_ = face;
            lockedLevel_ = level;
            lockedRect_ = r;
            lockFlags_ = flags;
            out->Pitch = static_cast<INT>(pitch);
            out->pBits = locked_.get();
        }
    }
    device_->traceResult(hr, "LockRect %s %u %u 0x%x", name_, face, level, flags);
    return hr;
}

HRESULT TextureStorage::unlock(UINT face, UINT level) {
    HRESULT hr = D3D_OK;
    if (!locked_ || face != lockedFace_ || level != lockedLevel_) {
        hr = D3DERR_INVALIDCALL;
    } else {
        if (!(lockFlags_ & D3DLOCK_READONLY)) device_->writeTexels(*this, face, level, lockedRect_, locked_.get());
        locked_.reset();
    }
    device_->traceResult(hr, "UnlockRect %s %u %u", name_, face, level);
    return hr;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** out) {
    if (out) *out = nullptr;
    if (!out || level >= levels || !(usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    levelDesc(level, &desc);
    auto* surface = new (std::nothrow) Surface(device_, desc, this, level);
    if (!surface) return E_OUTOFMEMORY;
    char name[kNameSize];
    std::snprintf(name, sizeof name, "%s:%u", name_, level);
    surface->setName(name);
    *out = surface;
    return D3D_OK;
}

TextureStorage* storageOf(IDirect3DBaseTexture9* texture) {
    // Every texture here is one of the two kinds: the type says which, without RTTI on the
    // path every SetTexture and every sampler binding takes.
    if (!texture) return nullptr;
    if (texture->GetType() == D3DRTYPE_CUBETEXTURE)
        return static_cast<CubeTexture*>(static_cast<IDirect3DCubeTexture9*>(texture));
    return static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
}

}  // namespace d3d9::detail
