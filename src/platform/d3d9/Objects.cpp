#include "platform/d3d9/Objects.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d9/DeviceBase.h"

namespace d3d9::detail {

Child::Child(DeviceBase* device) : device_(device) {
    static unsigned next = 0;
    serial_ = ++next;
    name_[0] = '\0';
    device_->childCreated();
}

Child::~Child() { device_->childDestroyed(); }

void Child::setName(const char* name) {
    std::snprintf(name_, sizeof name_, "%s", name ? name : "null");
}

// ---- buffers -------------------------------------------------------------------------

bool BufferStore::allocate(UINT length) {
    data_.reset(new (std::nothrow) std::uint8_t[length]);
    if (!data_) return false;
    std::memset(data_.get(), 0, length);
    length_ = length;
    return true;
}

HRESULT BufferStore::lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (offset > length_) return D3DERR_INVALIDCALL;
    if (size == 0) size = length_ - offset;
    if (size > length_ - offset) return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY) && size > 0) {
        if (dirtyEnd_ == dirtyBegin_) {
            dirtyBegin_ = offset;
            dirtyEnd_ = offset + size;
        } else {
            dirtyBegin_ = std::min(dirtyBegin_, offset);
            dirtyEnd_ = std::max(dirtyEnd_, offset + size);
        }
    }
    ++locks_;
    *data = data_.get() + offset;
    return D3D_OK;
}

HRESULT BufferStore::unlock(bool& written) {
    written = false;
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ == 0) written = dirtyEnd_ > dirtyBegin_;
    return D3D_OK;
}

VertexBuffer::VertexBuffer(DeviceBase* device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Child(device), usage(usage), fvf(fvf), pool(pool) {}

VertexBuffer::~VertexBuffer() { device_->destroyGl(*this); }

void VertexBuffer::onRelease(ULONG left) { device_->trace("Release %s %u", name_, left); }

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    const HRESULT hr = store.lock(offset, size, data, flags);
    device_->traceResult(hr, "Lock %s %u %u 0x%x", name_, offset, size, flags);
    return hr;
}

HRESULT VertexBuffer::Unlock() {
    bool written = false;
    const HRESULT hr = store.unlock(written);
    if (written) {
        device_->upload(*this);
        store.clean();
    }
    device_->traceResult(hr, "Unlock %s", name_);
    return hr;
}

IndexBuffer::IndexBuffer(DeviceBase* device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Child(device), usage(usage), format(format), pool(pool) {}

IndexBuffer::~IndexBuffer() { device_->destroyGl(*this); }

void IndexBuffer::onRelease(ULONG left) { device_->trace("Release %s %u", name_, left); }

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    const HRESULT hr = store.lock(offset, size, data, flags);
    device_->traceResult(hr, "Lock %s %u %u 0x%x", name_, offset, size, flags);
    return hr;
}

HRESULT IndexBuffer::Unlock() {
    bool written = false;
    const HRESULT hr = store.unlock(written);
    if (written) {
        rescan();
        device_->upload(*this);
        store.clean();
    }
    device_->traceResult(hr, "Unlock %s", name_);
    return hr;
}

void IndexBuffer::rescan() {
    const UINT count = store.length() / indexSize();
    UINT lo = 0xFFFFFFFFu, hi = 0;
    if (format == D3DFMT_INDEX32) {
        for (UINT i = 0; i < count; ++i) {
            std::uint32_t v;
            std::memcpy(&v, store.bytes() + i * 4, 4);
            lo = std::min<UINT>(lo, v);
            hi = std::max<UINT>(hi, v);
        }
    } else {
        for (UINT i = 0; i < count; ++i) {
            std::uint16_t v;
            std::memcpy(&v, store.bytes() + i * 2, 2);
            lo = std::min<UINT>(lo, v);
            hi = std::max<UINT>(hi, v);
        }
    }
    minIndex = count ? lo : 0;
    maxIndex = hi;
}

// ---- declarations --------------------------------------------------------------------

UINT declTypeSize(BYTE type) {
    switch (type) {
        case 0: return 4;    // FLOAT1
        case 1: return 8;    // FLOAT2
        case 2: return 12;   // FLOAT3
        case 3: return 16;   // FLOAT4
        case 4: return 4;    // D3DCOLOR
        case 5: return 4;    // UBYTE4
        case 6: return 4;    // SHORT2
        case 7: return 8;    // SHORT4
        case 8: return 4;    // UBYTE4N
        case 9: return 4;    // SHORT2N
        case 10: return 8;   // SHORT4N
        case 11: return 4;   // USHORT2N
        case 12: return 8;   // USHORT4N
        case 15: return 4;   // FLOAT16_2
        case 16: return 8;   // FLOAT16_4
        default: return 0;   // the packed 10-bit types and anything unknown
    }
}

bool validDeclaration(const D3DVERTEXELEMENT9* elements, UINT& count) {
    if (!elements) return false;
    for (UINT i = 0; i <= kMaxDeclElements; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        if (e.Stream == 0xFF) {
            if (e.Type != D3DDECLTYPE_UNUSED) return false;
            count = i;
            return true;
        }
        if (e.Stream >= 16 || declTypeSize(e.Type) == 0 || e.Method > 6 ||
            e.Usage > D3DDECLUSAGE_SAMPLE || e.UsageIndex >= 16 || e.Offset % 4 != 0) {
            return false;
        }
    }
    return false;  // no end marker within the allowed length
}

VertexDeclaration::VertexDeclaration(DeviceBase* device, const D3DVERTEXELEMENT9* list,
                                     UINT count)
    : Child(device), count(count) {
    std::memcpy(elements, list, sizeof(D3DVERTEXELEMENT9) * (count + 1));
}

VertexDeclaration::~VertexDeclaration() { device_->destroyGl(*this); }

void VertexDeclaration::onRelease(ULONG left) { device_->trace("Release %s %u", name_, left); }

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* outCount) {
    if (!outCount) return D3DERR_INVALIDCALL;
    if (out) std::memcpy(out, elements, sizeof(D3DVERTEXELEMENT9) * (count + 1));
    *outCount = count + 1;
    return D3D_OK;
}

// ---- surfaces and textures -----------------------------------------------------------

Surface::Surface(DeviceBase* device, const D3DSURFACE_DESC& desc, TextureStorage* texture, UINT level)
    : Child(device), desc(desc), texture(texture), level(level) {
    if (texture) texture->asInterface()->AddRef();
}

Surface::~Surface() {
    device_->destroyGl(*this);
    if (texture) texture->asInterface()->Release();
}

void Surface::onRelease(ULONG left) { device_->trace("Release %s %u", name_, left); }

HRESULT Surface::GetDesc(D3DSURFACE_DESC* out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = desc;
    return D3D_OK;
}

UINT fullMipCount(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

}  // namespace d3d9::detail
