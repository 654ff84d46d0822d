#include "platform/d3d9/DeviceBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d9/FormatTable.h"
#include "platform/d3d9/Names.h"
#include "platform/d3d9/StateTable.h"

namespace d3d9::detail {
namespace {

// Trace lines are formatted on the stack: tracing a frame allocates nothing.
constexpr std::size_t kLineSize = 1024;
// Buffers larger than this are refused rather than risking the process on one request.
constexpr UINT kMaxBufferBytes = 256u << 20;

}  // namespace

UINT indexCountOf(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
        case D3DPT_POINTLIST: return primitives;
        case D3DPT_LINELIST: return primitives * 2;
        case D3DPT_LINESTRIP: return primitives + 1;
        case D3DPT_TRIANGLELIST: return primitives * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return primitives + 2;
    }
    return 0;
}

DeviceBase::DeviceBase(Backend backend, TraceSink* sink, IDirect3D9* d3d)
    : backend_(backend), sink_(sink), d3d_(d3d) {
    if (d3d_) d3d_->AddRef();
}

DeviceBase::~DeviceBase() {
    if (d3d_) d3d_->Release();
}

ULONG DeviceBase::Release() {
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0) {
        dropping_ = true;
        dropBindings();
        shutdown();
        dropping_ = false;
        if (children_ == 0) delete this;
    }
    return left;
}

void DeviceBase::childDestroyed() {
    if (--children_ == 0 && refs_ == 0 && !dropping_) delete this;
}

void DeviceBase::dropBindings() {
    if (stream_) stream_->unbind();
    if (indices_) indices_->unbind();
    if (declaration_) declaration_->unbind();
    if (depth_) depth_->unbind();
    for (Surface*& target : targets_) {
        if (target) target->unbind();
        target = nullptr;
    }
    if (backBuffer_) backBuffer_->Release();
    backBuffer_ = nullptr;
    for (TextureStorage*& texture : textures_) {
        if (texture) texture->unbindStage();
        texture = nullptr;
    }
    stream_ = nullptr;
    indices_ = nullptr;
    declaration_ = nullptr;
    depth_ = nullptr;
}

void DeviceBase::initStates(bool autoDepth) {
    std::memset(states_, 0, sizeof states_);
    std::memset(samplers_, 0, sizeof samplers_);
    std::memset(stages_, 0, sizeof stages_);
    for (const StateRow& row : stateRows()) {
        switch (row.group) {
            case StateGroup::Render: states_[row.value] = stateDefault(row, 0, autoDepth); break;
            case StateGroup::Sampler:
                for (auto& sampler : samplers_) sampler[row.value] = row.defaultValue;
                break;
            case StateGroup::Stage:
                for (DWORD s = 0; s < kTextureStageCount; ++s) stages_[s][row.value] = stateDefault(row, s, autoDepth);
                break;
            case StateGroup::Transform: break;  // identities, set with the other fixed-function state
        }
    }
    initFixedFunctionStates();
    initScissorAndClipPlanes();
}

void DeviceBase::applyAllStates() {
    for (DWORD state = 0; state < kRenderStateCount; ++state) applyRenderState(state, states_[state]);
    for (DWORD s = 0; s < kSamplerCount; ++s) {
        for (DWORD type = 1; type < kSamplerStateCount; ++type) {
            applySamplerState(s, type, samplers_[s][type]);
        }
    }
    applyScissorRect();
    for (DWORD i = 0; i < kClipPlaneCount; ++i) applyClipPlane(i);
}

// ---- trace ---------------------------------------------------------------------------

void DeviceBase::traceText(const char* text, std::size_t length) {
    if (sink_) sink_->line(text, length);
}

void DeviceBase::vtrace(HRESULT result, const char* format, va_list args) {
    char line[kLineSize];
    int n = std::vsnprintf(line, sizeof line, format, args);
    if (n < 0) return;
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1);
    if (FAILED(result)) {
        const int extra = std::snprintf(line + length, sizeof line - length, " failed 0x%08x",
                                        static_cast<unsigned>(result));
        if (extra > 0) length = std::min(length + extra, sizeof line - 1);
    }
    sink_->line(line, length);
}

void DeviceBase::trace(const char* format, ...) {
    if (!sink_) return;
    va_list args;
    va_start(args, format);
    vtrace(D3D_OK, format, args);
    va_end(args);
}

void DeviceBase::traceResult(HRESULT result, const char* format, ...) {
    if (!sink_) return;
    va_list args;
    va_start(args, format);
    vtrace(result, format, args);
    va_end(args);
}

// ---- frame ---------------------------------------------------------------------------

HRESULT DeviceBase::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) {
    HRESULT hr = D3D_OK;
    const RECT* list = static_cast<const RECT*>(rects);
    if (count > 0 && !list) {
        hr = D3DERR_INVALIDCALL;
    } else if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depth_) {
        hr = D3DERR_INVALIDCALL;
    } else if ((flags & D3DCLEAR_STENCIL) && !depth_->hasStencil()) {
        hr = D3DERR_INVALIDCALL;
    }
    if (SUCCEEDED(hr) && drawing_) {
        makeCurrent();
        doClear(list ? count : 0, list, flags, color, std::clamp(z, 0.0f, 1.0f), stencil);
    }
    if (tracing()) {
        char rectText[kLineSize / 2] = "";
        std::size_t used = 0;
        for (DWORD i = 0; list && i < count && used + 1 < sizeof rectText; ++i) {
            const int n = std::snprintf(rectText + used, sizeof rectText - used, " %d %d %d %d",
                                        list[i].left, list[i].top, list[i].right, list[i].bottom);
            if (n < 0) break;
            used = std::min(used + static_cast<std::size_t>(n), sizeof rectText - 1);
        }
        traceResult(hr, "Clear 0x%x 0x%08x %.9g %u%s", flags, color, static_cast<double>(z),
                    stencil, rectText);
    }
    return hr;
}

HRESULT DeviceBase::BeginScene() {
    const HRESULT hr = inScene_ ? D3DERR_INVALIDCALL : D3D_OK;
    inScene_ = true;
    traceResult(hr, "BeginScene");
    return hr;
}

HRESULT DeviceBase::EndScene() {
    const HRESULT hr = inScene_ ? D3D_OK : D3DERR_INVALIDCALL;
    inScene_ = false;
    traceResult(hr, "EndScene");
    return hr;
}

HRESULT DeviceBase::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    makeCurrent();
    doPresent();
    trace("Present");
    return D3D_OK;
}

// ---- states --------------------------------------------------------------------------

HRESULT DeviceBase::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    HRESULT hr = D3D_OK;
    if (state >= kRenderStateCount) {
        hr = D3DERR_INVALIDCALL;
    } else if (states_[state] != value) {
        states_[state] = value;
        makeCurrent();
        applyRenderState(state, value);
    }
    if (tracing()) {
        char valueText[32];
        const StateRow* row = findState(StateGroup::Render, state);
        formatStateValue(row, value, valueText, sizeof valueText);
        traceResult(hr, "SetRenderState %s %s", named(row ? row->d3dName : nullptr, state).text,
                    valueText);
    }
    return hr;
}

HRESULT DeviceBase::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || state >= kRenderStateCount) return D3DERR_INVALIDCALL;
    *value = states_[state];
    return D3D_OK;
}

HRESULT DeviceBase::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    HRESULT hr = D3D_OK;
    if (sampler >= kSamplerCount || type == 0 || type >= kSamplerStateCount) {
        hr = D3DERR_INVALIDCALL;
    } else if (samplers_[sampler][type] != value) {
        samplers_[sampler][type] = value;
        makeCurrent();
        applySamplerState(sampler, type, value);
    }
    if (tracing()) {
        char valueText[32];
        const StateRow* row = findState(StateGroup::Sampler, type);
        formatStateValue(row, value, valueText, sizeof valueText);
        traceResult(hr, "SetSamplerState %u %s %s", sampler, named(row ? row->d3dName : nullptr, type).text,
                    valueText);
    }
    return hr;
}

// ---- resources -----------------------------------------------------------------------

HRESULT DeviceBase::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) {
    HRESULT hr = D3D_OK;
    VertexBuffer* object = nullptr;
    if (buffer) *buffer = nullptr;
    if (!buffer || sharedHandle || length == 0 || pool > D3DPOOL_SYSTEMMEM) {
        hr = D3DERR_INVALIDCALL;
    } else if (length > kMaxBufferBytes ||
               !(object = new (std::nothrow) VertexBuffer(this, usage, fvf, pool))) {
        hr = E_OUTOFMEMORY;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "vb%u", ++counters_[kVb]);
        object->setName(name);
        makeCurrent();
        if (!object->store.allocate(length)) {
            hr = E_OUTOFMEMORY;
        } else if (!createGl(*object)) {
            hr = D3DERR_OUTOFVIDEOMEMORY;
        }
        if (FAILED(hr)) {
            object->Release();
            object = nullptr;
        } else {
            *buffer = object;
        }
    }
    traceResult(hr, "CreateVertexBuffer %s %u 0x%x 0x%x %s", nameOf(object), length, usage, fvf,
                named(poolName(pool), pool).text);
    return hr;
}

HRESULT DeviceBase::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) {
    HRESULT hr = D3D_OK;
    IndexBuffer* object = nullptr;
    if (buffer) *buffer = nullptr;
    if (!buffer || sharedHandle || length == 0 || pool > D3DPOOL_SYSTEMMEM ||
        !formatAllows(format, kFormatIndex)) {
        hr = D3DERR_INVALIDCALL;
    } else if (length > kMaxBufferBytes ||
               !(object = new (std::nothrow) IndexBuffer(this, usage, format, pool))) {
        hr = E_OUTOFMEMORY;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "ib%u", ++counters_[kIb]);
        object->setName(name);
        makeCurrent();
        if (!object->store.allocate(length)) {
            hr = E_OUTOFMEMORY;
        } else if (!createGl(*object)) {
            hr = D3DERR_OUTOFVIDEOMEMORY;
        }
        if (FAILED(hr)) {
            object->Release();
            object = nullptr;
        } else {
            *buffer = object;
        }
    }
    traceResult(hr, "CreateIndexBuffer %s %u 0x%x %s %s", nameOf(object), length, usage,
                named(formatName(format), format).text, named(poolName(pool), pool).text);
    return hr;
}

HRESULT DeviceBase::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** declaration) {
    HRESULT hr = D3D_OK;
    VertexDeclaration* object = nullptr;
    UINT count = 0;
    if (declaration) *declaration = nullptr;
    const bool valid = validDeclaration(elements, count);
    if (!declaration || !valid) {
        hr = D3DERR_INVALIDCALL;
    } else if (!(object = new (std::nothrow) VertexDeclaration(this, elements, count))) {
        hr = E_OUTOFMEMORY;
    } else {
        char name[16];
        std::snprintf(name, sizeof name, "decl%u", ++counters_[kDecl]);
        object->setName(name);
        *declaration = object;
    }
    if (tracing()) {
        char list[kLineSize - 64] = "";
        std::size_t used = 0;
        for (UINT i = 0; valid && i < count; ++i) {
            const D3DVERTEXELEMENT9& e = elements[i];
            const int n = std::snprintf(list + used, sizeof list - used, " {%u %u %s %u %s %u}",
                                        e.Stream, e.Offset, named(declTypeName(e.Type), e.Type).text,
                                        e.Method, named(declUsageName(e.Usage), e.Usage).text,
                                        e.UsageIndex);
            if (n < 0) break;
            used = std::min(used + static_cast<std::size_t>(n), sizeof list - 1);
        }
        traceResult(hr, "CreateVertexDeclaration %s%s", nameOf(object), list);
    }
    return hr;
}

// ---- bindings and drawing ------------------------------------------------------------

HRESULT DeviceBase::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                    UINT stride) {
    // Only stream 0 is ever drawn from: the show's declarations all live in it.
    HRESULT hr = D3D_OK;
    auto* object = static_cast<VertexBuffer*>(buffer);
    if (stream != 0 || offset % 4 != 0) {
        hr = D3DERR_INVALIDCALL;
    } else {
        if (object != stream_) {
            if (object) object->bind();
            if (stream_) stream_->unbind();
            stream_ = object;
        }
        streamOffset_ = offset;
        streamStride_ = stride;
    }
    traceResult(hr, "SetStreamSource %u %s %u %u", stream, nameOf(object), offset, stride);
    return hr;
}

HRESULT DeviceBase::SetIndices(IDirect3DIndexBuffer9* indices) {
    auto* object = static_cast<IndexBuffer*>(indices);
    if (object != indices_) {
        if (object) object->bind();
        if (indices_) indices_->unbind();
        indices_ = object;
    }
    trace("SetIndices %s", nameOf(object));
    return D3D_OK;
}

HRESULT DeviceBase::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    auto* object = static_cast<VertexDeclaration*>(declaration);
    if (object != declaration_) {
        if (object) object->bind();
        if (declaration_) declaration_->unbind();
        declaration_ = object;
    }
    trace("SetVertexDeclaration %s", nameOf(object));
    return D3D_OK;
}

HRESULT DeviceBase::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                         UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                         UINT primitiveCount) {
    HRESULT hr = D3DERR_INVALIDCALL;
    const UINT indexCount = indexCountOf(type, primitiveCount);
    if (primitiveCount > 0 && indexCount > 0 && declaration_ && stream_ && indices_ &&
        streamStride_ > 0) {
        const UINT available = indices_->store.length() / indices_->indexSize();
        if (startIndex <= available && indexCount <= available - startIndex) {
            // Vertices the stream can feed completely, given where the last element ends.
            UINT elementEnd = 0;
            for (UINT i = 0; i < declaration_->count; ++i) {
                const D3DVERTEXELEMENT9& e = declaration_->elements[i];
                if (e.Stream == 0) elementEnd = std::max(elementEnd, e.Offset + declTypeSize(e.Type));
            }
            const long long bytes =
                static_cast<long long>(stream_->store.length()) - streamOffset_ - elementEnd;
            const long long vertices = bytes < 0 ? 0 : bytes / streamStride_ + 1;
            const long long lo = static_cast<long long>(baseVertexIndex) + indices_->minIndex;
            const long long hi = static_cast<long long>(baseVertexIndex) + indices_->maxIndex;
            bool inRange = lo >= 0 && hi < vertices;
            if (!inRange) {
                // The whole buffer reaches further than this stream: check the drawn range.
                inRange = true;
                const std::uint8_t* base = indices_->store.bytes();
                for (UINT i = startIndex; i < startIndex + indexCount && inRange; ++i) {
                    std::uint32_t v = 0;
                    if (indices_->indexSize() == 4) {
                        std::memcpy(&v, base + i * 4ull, 4);
                    } else {
                        std::uint16_t s;
                        std::memcpy(&s, base + i * 2ull, 2);
                        v = s;
                    }
                    const long long index = static_cast<long long>(baseVertexIndex) + v;
                    inRange = index >= 0 && index < vertices;
                }
            }
            if (inRange) hr = D3D_OK;
        }
    }
    if (SUCCEEDED(hr) && drawing_) {
        makeCurrent();
        doDraw(type, indexCount, startIndex, baseVertexIndex);
    }
    if (tracing())
        traceResult(hr, "DrawIndexedPrimitive %s %d %u %u %u %u",
                    named(primitiveTypeName(type), type).text, baseVertexIndex, minVertexIndex,
                    numVertices, startIndex, primitiveCount);
    return hr;
}

}  // namespace d3d9::detail
