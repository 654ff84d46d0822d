// The objects behind the D3D9 interfaces, shared by both backends: reference counting,
// the device's common part (render states, bindings, trace naming) and the resources.
// A resource keeps a CPU copy of its contents; on the OpenGL backend it also owns a GL
// object (0 on the trace backend).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/d3d9/backend.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/internal.h"

namespace d3d9::detail {

class DeviceBase;

// COM-style counting with a second count for the device's own bindings: a bound object
// whose last outside reference is released stays alive (unreachable) until unbound, as
// in D3D9, where Release reports only the caller's references.
template <class Interface>
class Counted : public Interface {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        if (refs_ == 0) return 0;
        const ULONG left = --refs_;
        onRelease(left);
        if (left == 0 && bindings_ == 0) delete this;
        return left;
    }
    void bind() { ++bindings_; }
    void unbind() {
        if (--bindings_ == 0 && refs_ == 0) delete this;
    }

protected:
    virtual void onRelease(ULONG) {}
    ULONG refs_ = 1;
    ULONG bindings_ = 0;
};

// Names by which the trace refers to objects ("vb3", "decl1", a texture's path).
constexpr std::size_t kNameSize = 256;

// A resource created by a device: keeps the device's core alive until it is gone.
class Child {
public:
    explicit Child(DeviceBase* device);
    virtual ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    DeviceBase* device() const { return device_; }
    const char* name() const { return name_; }
    void setName(const char* name);
    // Unique over the process, unlike GL names, which are reused after deletion.
    unsigned serial() const { return serial_; }

protected:
    DeviceBase* device_;
    unsigned serial_;
    char name_[kNameSize];
};

// Vertex and index buffers share their storage and locking.
class BufferStore {
public:
    bool allocate(UINT length);
    HRESULT lock(UINT offset, UINT size, void** data, DWORD flags);
    // Ends one lock; true when it was the last one and something may have been written.
    HRESULT unlock(bool& written);
    const std::uint8_t* bytes() const { return data_.get(); }
    UINT length() const { return length_; }
    UINT dirtyBegin() const { return dirtyBegin_; }
    UINT dirtyEnd() const { return dirtyEnd_; }
    void clean() { dirtyBegin_ = dirtyEnd_ = 0; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    UINT length_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
    int locks_ = 0;
};

class VertexBuffer final : public Counted<IDirect3DVertexBuffer9>, public Child {
public:
    VertexBuffer(DeviceBase* device, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~VertexBuffer() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    BufferStore store;
    DWORD usage, fvf;
    D3DPOOL pool;
    unsigned glName = 0;
    // An sRGB view of the same storage, made when a sampler first decodes sRGB.
    unsigned glSrgbView = 0;

protected:
    void onRelease(ULONG left) override;
};

class IndexBuffer final : public Counted<IDirect3DIndexBuffer9>, public Child {
public:
    IndexBuffer(DeviceBase* device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~IndexBuffer() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    UINT indexSize() const { return format == D3DFMT_INDEX32 ? 4u : 2u; }
    // Smallest and largest index over the whole buffer, kept current on Unlock so that
    // draws can be checked against the vertex buffer without scanning the indices.
    void rescan();
    BufferStore store;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    UINT minIndex = 0, maxIndex = 0;
    unsigned glName = 0;

protected:
    void onRelease(ULONG left) override;
};

constexpr UINT kMaxDeclElements = 16;
using internal::kAttributeSlots;

class VertexDeclaration final : public Counted<IDirect3DVertexDeclaration9>, public Child {
public:
    VertexDeclaration(DeviceBase* device, const D3DVERTEXELEMENT9* elements, UINT count);
    ~VertexDeclaration() override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;
    D3DVERTEXELEMENT9 elements[kMaxDeclElements + 1];
    UINT count;  // without the end marker
    // OpenGL: the vertex array object and what it was last specified for.
    unsigned vao = 0;
    unsigned vaoBuffer = 0, vaoStride = 0, vaoOffset = 0, vaoIndices = 0;
    bool vaoFormatSet = false;
    std::uint16_t vaoSources[kAttributeSlots] = {};  // the attribute sources it was specified for

protected:
    void onRelease(ULONG left) override;
};

// Checks an element list (D3DDECL_END terminated, at most kMaxDeclElements elements,
// known types and usages, aligned offsets); count receives the elements before the end.
bool validDeclaration(const D3DVERTEXELEMENT9* elements, UINT& count);
// Size in bytes of a declaration type; 0 for an unknown one.
UINT declTypeSize(BYTE type);

class TextureStorage;

// A depth-stencil buffer (its own renderbuffer), a level of a render-target texture
// (which it keeps alive), or the back buffer.
class Surface final : public Counted<IDirect3DSurface9>, public Child {
public:
    Surface(DeviceBase* device, const D3DSURFACE_DESC& desc, TextureStorage* texture = nullptr, UINT level = 0);
    ~Surface() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    bool hasStencil() const { return desc.Format == D3DFMT_D24S8; }
    bool isColour() const { return desc.Usage & D3DUSAGE_RENDERTARGET; }
    D3DSURFACE_DESC desc;
    unsigned glRenderbuffer = 0;
    TextureStorage* texture;  // null: depth-stencil or back buffer
    UINT level;

protected:
    void onRelease(ULONG left) override;
};

// What both kinds of texture share: size, format, GL storage (one layer, or six for a
// cube) and the one lock a level may have at a time, whose texels wait in `locked_`.
class TextureStorage : public Child {
public:
    TextureStorage(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage,
                   D3DFORMAT format, D3DPOOL pool, UINT faces);
    ~TextureStorage() override;
    // A stage's binding, kept by the object's own count.
    virtual void bindStage() = 0;
    virtual void unbindStage() = 0;
    virtual IDirect3DBaseTexture9* asInterface() = 0;
    HRESULT levelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT lock(UINT face, UINT level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags);
    HRESULT unlock(UINT face, UINT level);
    bool cube() const { return faces == 6; }
    UINT levelWidth(UINT level) const { return width >> level ? width >> level : 1; }
    UINT levelHeight(UINT level) const { return height >> level ? height >> level : 1; }

    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    UINT faces;
    unsigned glName = 0;
    // An sRGB view of the same storage, made when a sampler first decodes sRGB, and the
    // base levels last set on both.
    unsigned glSrgbView = 0;
    UINT baseLevel = 0, srgbBaseLevel = 0;

private:
    std::unique_ptr<std::uint8_t[]> locked_;  // null: not locked
    RECT lockedRect_{};
    UINT lockedFace_ = 0, lockedLevel_ = 0;
    DWORD lockFlags_ = 0;
};

// The interface side both kinds share: counting, level queries and the trace of Release.
template <class Interface, D3DRESOURCETYPE kType>
class TextureOf : public Counted<Interface>, public TextureStorage {
public:
    using TextureStorage::TextureStorage;
    DWORD GetLevelCount() override { return levels; }
    D3DRESOURCETYPE GetType() override { return kType; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override { return levelDesc(level, desc); }
    void bindStage() override { this->bind(); }
    void unbindStage() override { this->unbind(); }
    IDirect3DBaseTexture9* asInterface() override { return this; }

protected:
    void onRelease(ULONG left) override;
};

class Texture final : public TextureOf<IDirect3DTexture9, D3DRTYPE_TEXTURE> {
public:
    Texture(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage,
            D3DFORMAT format, D3DPOOL pool)
        : TextureOf(device, width, height, levels, usage, format, pool, 1) {}
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) override {
        return lock(0, level, out, rect, flags);
    }
    HRESULT UnlockRect(UINT level) override { return unlock(0, level); }
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
};

class CubeTexture final : public TextureOf<IDirect3DCubeTexture9, D3DRTYPE_CUBETEXTURE> {
public:
    CubeTexture(DeviceBase* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : TextureOf(device, edge, edge, levels, usage, format, pool, 6) {}
    HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* out, const RECT* rect,
                     DWORD flags) override {
        return lock(face, level, out, rect, flags);
    }
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override { return unlock(face, level); }
};

// The storage behind one of this layer's texture interfaces (null for null).
TextureStorage* storageOf(IDirect3DBaseTexture9* texture);

// Number of mip levels of a full chain down to 1x1.
UINT fullMipCount(UINT width, UINT height);

}  // namespace d3d9::detail
