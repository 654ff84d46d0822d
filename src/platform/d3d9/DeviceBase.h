// The part of IDirect3DDevice9 both backends share: argument checks, render and sampler
// state copies, bindings, object creation and the trace lines. The OpenGL device
// overrides the hooks to draw; the trace device only switches the trace on.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/Objects.h"
#include "platform/d3d9/internal.h"

namespace d3d9::detail {

// Float render states are kept as the bits of the float.
inline DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Vertices (or indices) a primitive count needs; 0 for an unknown type.
UINT indexCountOf(D3DPRIMITIVETYPE type, UINT primitives);

constexpr DWORD kRenderStateCount = 256;
constexpr DWORD kSamplerCount = 16;
constexpr DWORD kSamplerStateCount = 14;
constexpr DWORD kTextureStageCount = 8;
// Varying locations an effect's shader links by (TEXCOORDn n, COLORn 16+n, FOG 27, PSIZE 28).
constexpr unsigned kLinkLocations = 32;
constexpr DWORD kStageStateCount = 33;  // D3DTSS_CONSTANT is the last
// View, projection, texture 0..7, world 0..3.
constexpr DWORD kTransformCount = 14;
// Light indices are the caller's choice in D3D9; effect files name them too, so they are
// capped rather than letting one number reserve a table of any size.
constexpr DWORD kMaxLights = 256;
constexpr DWORD kClipPlaneCount = 6;
constexpr UINT kMaxTextureSize = 16384;

// One light slot: what SetLight stored (or D3D9's default light) and its switch.
struct LightSlot {
    D3DLIGHT9 light{};
    bool set = false;
    bool enabled = false;
};

// Bytes of one vertex of an FVF code; 0 for a code without a position.
UINT fvfVertexSize(DWORD fvf);

class DeviceBase : public Counted<IDirect3DDevice9> {
public:
    DeviceBase(Backend backend, TraceSink* sink, IDirect3D9* d3d);
    // Reaching zero drops the bindings; the object itself lives on until the last
    // resource it created is gone, since those still need its GL context.
    ULONG Release() override;

    // The D3D9 defaults of every render and sampler state; the backend then applies them.
    void initStates(bool autoDepth);
    // Hands every state to the backend once, so that its pipeline starts as D3D9's.
    void applyAllStates();
    Surface* depthSurface() const { return depth_; }

    // ---- IDirect3DDevice9 ----
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                      IDirect3DSurface9** surface, HANDLE* sharedHandle) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;  // RenderTargets.cpp
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;  // RenderTargets.cpp
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface) override;
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND overrideWindow,
                    const RGNDATA* dirtyRegion) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                    IDirect3DVertexDeclaration9** declaration) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DCubeTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    // Scissor rectangle and clip planes (DeviceStates.cpp).
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT GetScissorRect(RECT* rect) override;
    HRESULT SetClipPlane(DWORD index, const float* plane) override;
    HRESULT GetClipPlane(DWORD index, float* plane) override;
    // Fixed-function state (DeviceFixedFunction.cpp).
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT GetMaterial(D3DMATERIAL9* material) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                   UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, UINT stride) override;
    // Fixed-function programs the backend has built (tests: a state seen twice builds none).
    virtual unsigned fixedFunctionPrograms() const { return 0; }

    // ---- shared with the D3DX stand-in (internal.h) ----
    Backend backend() const { return backend_; }
    bool tracing() const { return sink_ != nullptr; }
    void traceText(const char* text, std::size_t length);
    // Tools: with drawing off, Clear and DrawIndexedPrimitive check their arguments and
    // trace as always but touch no pixels (see d3d9::setDrawing).
    void setDrawing(bool on) { drawing_ = on; }
    // Formats one trace line on the stack; does nothing when there is no sink.
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // As trace, appending " failed 0x%08x" when result is a failure.
    void traceResult(HRESULT result, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    DWORD renderState(DWORD state) const { return states_[state]; }
    DWORD samplerState(DWORD sampler, DWORD type) const { return samplers_[sampler][type]; }
    TextureStorage* boundTexture(DWORD stage) const { return textures_[stage]; }
    HRESULT createTextureNamed(UINT width, UINT height, UINT levels, D3DFORMAT format, DWORD usage,
                               D3DPOOL pool, const char* name, Texture** texture);

    // Backend hooks. Defaults draw nothing (the trace backend).
    virtual bool samplesSupported(DWORD) const { return true; }
    virtual void makeCurrent() {}
    // D3D9's VPOS row from GL's gl_FragCoord.y (see internal::vposRows).
    void vposRows(float rows[2]) const {
        rows[0] = targets_[0] ? 1.0f : -1.0f;
        rows[1] = targets_[0] ? -0.5f : static_cast<float>(height_) - 0.5f;
    }
    // Of render target 0: the back buffer unless a texture level is set.
    void renderTargetSize(int& width, int& height) const {
        width = static_cast<int>(targets_[0] ? targets_[0]->desc.Width : width_);
        height = static_cast<int>(targets_[0] ? targets_[0]->desc.Height : height_);
    }
    virtual bool readBack(std::uint8_t*, std::size_t, UINT&, UINT&) { return false; }
    virtual bool startReadBack(unsigned) { return false; }
    virtual const std::uint8_t* finishReadBack(unsigned) { return nullptr; }
    virtual bool describeRenderer(RendererInfo&) { return false; }
    virtual void profileDraws(bool) {}
    virtual bool collectDrawTimings(std::vector<DrawTiming>&) { return false; }
    void setDrawLabel(const char* effect, const char* technique, unsigned pass) {
        labelEffect_ = effect;
        labelTechnique_ = technique;
        labelPass_ = pass;
    }
    // Resources: create, upload and delete their GL objects.
    virtual bool createGl(VertexBuffer&) { return true; }
    virtual bool createGl(IndexBuffer&) { return true; }
    virtual bool createGl(Surface&) { return true; }
    virtual bool createGl(TextureStorage&) { return true; }
    virtual void upload(VertexBuffer&) {}
    virtual void upload(IndexBuffer&) {}
    virtual void uploadTexture(TextureStorage&, const std::uint8_t*) {}
    // Texels of one rectangle of a level, 4 bytes each as D3DFMT_A8R8G8B8 lays them out
    // (B, G, R, A), rows top first. Reading leaves the trace backend's zeros.
    virtual void readTexels(TextureStorage&, UINT, UINT, const RECT&, std::uint8_t*) {}
    virtual void writeTexels(TextureStorage&, UINT, UINT, const RECT&, const std::uint8_t*) {}
    virtual void destroyGl(VertexBuffer&) {}
    virtual void destroyGl(IndexBuffer&) {}
    virtual void destroyGl(VertexDeclaration&) {}
    virtual void destroyGl(Surface&) {}
    virtual void destroyGl(TextureStorage&) {}

    // Names a new texture or surface and makes its GL side; false, with the object
    // released, when that cannot be made.
    template <class T>
    bool realise(T* object, const char* name) {
        object->setName(name);
        makeCurrent();
        if (createGl(*object)) return true;
        object->Release();
        return false;
    }

    // Fixed-function state, for the backend that draws it.
    const D3DMATRIX& transform(DWORD slot) const { return transforms_[slot]; }
    DWORD stageState(DWORD stage, DWORD type) const { return stages_[stage][type]; }
    DWORD fvf() const { return fvf_; }
    const std::vector<LightSlot>& lights() const { return lights_; }
    const D3DMATERIAL9& material() const { return material_; }

    void setFixedFunctionPass(bool on) {
        fixedFunctionPass_ = on;
        setAttributeSources(nullptr);
        shaderPass_ = false;
        halfShader_ = 0;
        halfStage_ = 0;
    }
    // An effect pass with both shaders (`stage` 0), or with one (1: vertex, 2: pixel;
    // `shader` its GL shader object, `linkSizes` the components it uses at each varying
    // location): the device builds the other stage from its fixed-function state.
    void setShaderPass(unsigned stage, unsigned shader, const std::uint8_t* linkSizes) {
        fixedFunctionPass_ = stage != 0;
        shaderPass_ = stage == 0;
        halfStage_ = static_cast<std::uint8_t>(stage);
        halfShader_ = shader;
        for (unsigned i = 0; i < kLinkLocations; ++i) halfSizes_[i] = linkSizes && stage ? linkSizes[i] : 0;
    }
    // See internal::setAttributeSources.
    void setAttributeSources(const std::uint16_t* sources) {
        for (unsigned i = 0; i < kAttributeSlots; ++i) attributeSources_[i] = sources ? sources[i] : 0;
    }
    const std::uint16_t* attributeSources() const { return attributeSources_; }
    std::uint8_t halfStage() const { return halfStage_; }
    unsigned halfShader() const { return halfShader_; }
    const std::uint8_t* halfLinkSizes() const { return halfSizes_; }
    // Effect programs (internal.h). The trace backend keeps nothing and hands out 1.
    virtual unsigned createEffectProgram(const internal::EffectProgramSource&, std::string&) { return 1; }
    virtual void destroyEffectProgram(unsigned) {}
    virtual void useEffectProgram(unsigned, std::uint64_t, internal::EffectPassSource&, bool) {}

    void childCreated() { ++children_; }
    void childDestroyed();

protected:
    ~DeviceBase() override;
    // Backend work after the shared checks passed.
    virtual void applyRenderState(DWORD, DWORD) {}
    virtual void applySamplerState(DWORD, DWORD, DWORD) {}
    virtual void applyTexture(DWORD) {}
    virtual void applyScissorRect() {}
    virtual void applyClipPlane(DWORD) {}
    virtual HRESULT attachDepth(Surface*) { return D3D_OK; }
    // targets_ changed: draw into them (all null: the back buffer).
    virtual void applyRenderTargets() {}
    virtual void doClear(DWORD, const RECT*, DWORD, D3DCOLOR, float, DWORD) {}
    virtual void doPresent() {}
    virtual void doDraw(D3DPRIMITIVETYPE, UINT, UINT, INT) {}
    // A fixed-function draw of `count` FVF vertices from `first`: from `vertices` when
    // not null (then first is 0), else from stream 0.
    virtual void doDrawFixed(D3DPRIMITIVETYPE, UINT, UINT, const void*, UINT) {}
    // The same, indexed: `count` indices of `indexSize` bytes into `vertexCount` vertices.
    virtual void doDrawFixedIndexed(D3DPRIMITIVETYPE, UINT, const void*, UINT, UINT, const void*, UINT) {}
    // Called when the outside count reaches zero, before the bindings are dropped.
    virtual void shutdown() {}

    Backend backend_;
    TraceSink* sink_;
    IDirect3D9* d3d_;
    DWORD states_[kRenderStateCount] = {};
    DWORD samplers_[kSamplerCount][kSamplerStateCount] = {};
    VertexBuffer* stream_ = nullptr;
    UINT streamOffset_ = 0, streamStride_ = 0;
    IndexBuffer* indices_ = nullptr;
    VertexDeclaration* declaration_ = nullptr;
    Surface* depth_ = nullptr;
    static constexpr DWORD kRenderTargetCount = 4;
    Surface* targets_[kRenderTargetCount] = {};  // texture levels; null at 0: the back buffer
    Surface* backBuffer_ = nullptr;              // made when first asked for
    UINT width_ = 0, height_ = 0;  // back buffer
    RECT scissor_{};                // the whole back buffer until set
    float clipPlanes_[kClipPlaneCount][4] = {};
    DWORD samples_ = 0;            // back buffer samples (0: single)
    TextureStorage* textures_[kSamplerCount] = {};
    bool inScene_ = false;
    bool drawing_ = true;
    UINT children_ = 0;
    bool dropping_ = false;
    enum Counter { kVb, kIb, kDecl, kDs, kTex, kCube, kCounterCount };
    UINT counters_[kCounterCount] = {};
    D3DMATRIX transforms_[kTransformCount] = {};
    DWORD stages_[kTextureStageCount][kStageStateCount] = {};
    DWORD fvf_ = 0;
    bool fixedFunctionPass_ = false;
    bool shaderPass_ = false;  // the effect's own program draws, DrawPrimitive* included
    std::uint8_t halfStage_ = 0;
    unsigned halfShader_ = 0;
    std::uint8_t halfSizes_[kLinkLocations] = {};
    std::uint16_t attributeSources_[kAttributeSlots] = {};
    std::vector<LightSlot> lights_;
    D3DMATERIAL9 material_{};
    const char* labelEffect_ = "";
    const char* labelTechnique_ = "";
    unsigned labelPass_ = 0;

private:
    void dropBindings();
    void initFixedFunctionStates();
    void initScissorAndClipPlanes();  // DeviceStates.cpp
    void vtrace(HRESULT result, const char* format, va_list args);
};

}  // namespace d3d9::detail
