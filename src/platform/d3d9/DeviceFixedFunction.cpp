// The fixed-function state of the shared device part: transforms, texture stage states,
// the FVF, lights and the material, with D3D9's defaults, argument checks and trace lines.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d9/DeviceBase.h"
#include "platform/d3d9/Names.h"
#include "platform/d3d9/StateTable.h"

namespace d3d9::detail {
namespace {

constexpr D3DMATRIX kIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

bool finite(const D3DCOLORVALUE& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}
bool finite(const D3DVECTOR& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// D3D9's checks on a light: a known type, a range it can square, a spot cone with
// 0 <= Theta <= Phi <= pi, a direction that is not zero where one is used. Values that
// are not numbers are refused too, so that nothing downstream meets them.
bool validLight(const D3DLIGHT9& l) {
    constexpr float kMaxRange = 1.84467431e19f;  // sqrt(FLT_MAX)
    if (l.Type < D3DLIGHT_POINT || l.Type > D3DLIGHT_DIRECTIONAL) return false;
    if (!finite(l.Diffuse) || !finite(l.Specular) || !finite(l.Ambient) || !finite(l.Position) ||
        !finite(l.Direction)) {
        return false;
    }
    if (!(l.Range >= 0.0f && l.Range <= kMaxRange)) return false;
    if (!std::isfinite(l.Falloff) || !std::isfinite(l.Attenuation0) ||
        !std::isfinite(l.Attenuation1) || !std::isfinite(l.Attenuation2) || l.Attenuation0 < 0 ||
        l.Attenuation1 < 0 || l.Attenuation2 < 0) {
        return false;
    }
    if (l.Type == D3DLIGHT_SPOT &&
        !(l.Theta >= 0.0f && l.Phi >= l.Theta && l.Phi <= 3.14159274f)) {
        return false;
    }
    if (l.Type != D3DLIGHT_POINT &&
        l.Direction.x == 0.0f && l.Direction.y == 0.0f && l.Direction.z == 0.0f) {
        return false;
    }
    return true;
}

bool validMaterial(const D3DMATERIAL9& m) {
    return finite(m.Diffuse) && finite(m.Ambient) && finite(m.Specular) && finite(m.Emissive) &&
           std::isfinite(m.Power);
}

// The light LightEnable switches on when no SetLight came first: white, directional,
// shining along +z.
D3DLIGHT9 defaultLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {0, 0, 1};
    return light;
}

}  // namespace

void DeviceBase::initFixedFunctionStates() {
    for (D3DMATRIX& m : transforms_) m = kIdentity;
    fvf_ = 0;
    lights_.clear();
    material_ = D3DMATERIAL9{};
}

HRESULT DeviceBase::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    const int slot = transformSlot(state);
    const HRESULT hr = slot < 0 || !matrix ? D3DERR_INVALIDCALL : D3D_OK;
    if (SUCCEEDED(hr)) transforms_[slot] = *matrix;
    if (tracing()) {
        char name[32];
        transformName(state, name, sizeof name);
        if (FAILED(hr) || !matrix) {
            traceResult(hr, "SetTransform %s", name);
        } else {
            const float* f = &matrix->m[0][0];
            trace("SetTransform %s %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g "
                  "%.9g %.9g %.9g %.9g",
                  name, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11],
                  f[12], f[13], f[14], f[15]);
        }
    }
    return hr;
}

HRESULT DeviceBase::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    const int slot = transformSlot(state);
    if (slot < 0 || !matrix) return D3DERR_INVALIDCALL;
    *matrix = transforms_[slot];
    return D3D_OK;
}

HRESULT DeviceBase::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    HRESULT hr = D3D_OK;
    if (stage >= kTextureStageCount || type == 0 || type >= kStageStateCount ||
        !findState(StateGroup::Stage, type)) {
        hr = D3DERR_INVALIDCALL;
    } else {
        stages_[stage][type] = value;
    }
    if (tracing()) {
        char typeText[32], valueText[64];
        const StateRow* row = findState(StateGroup::Stage, type);
        std::snprintf(typeText, sizeof typeText, "%s", named(row ? row->d3dName : nullptr, type).text);
        formatStateValue(row, value, valueText, sizeof valueText);
        traceResult(hr, "SetTextureStageState %u %s %s", stage, typeText, valueText);
    }
    return hr;
}

HRESULT DeviceBase::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kTextureStageCount || type == 0 || type >= kStageStateCount ||
        !findState(StateGroup::Stage, type)) {
        return D3DERR_INVALIDCALL;
    }
    *value = stages_[stage][type];
    return D3D_OK;
}

HRESULT DeviceBase::SetFVF(DWORD fvf) {
    // Only the position kinds D3D9 defines, and at most eight coordinate sets.
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const bool knownPosition = position == 0 || position == D3DFVF_XYZ || position == D3DFVF_XYZRHW ||
                               position == D3DFVF_XYZW || (position >= 0x006 && position <= 0x00E);
    const bool knownTex = ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT) <= 8;
    const HRESULT hr = knownPosition && knownTex ? D3D_OK : D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr)) fvf_ = fvf;
    traceResult(hr, "SetFVF 0x%x", fvf);
    return hr;
}

HRESULT DeviceBase::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT DeviceBase::SetLight(DWORD index, const D3DLIGHT9* light) {
    HRESULT hr = D3D_OK;
    if (!light || index >= kMaxLights || !validLight(*light)) {
        hr = D3DERR_INVALIDCALL;
    } else {
        if (lights_.size() <= index) lights_.resize(index + 1);
        lights_[index].light = *light;
        lights_[index].set = true;
    }
    if (tracing()) {
        if (!light) {
            traceResult(hr, "SetLight %u null", index);
        } else {
            const D3DLIGHT9& l = *light;
            traceResult(hr,
                        "SetLight %u %s %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g "
                        "%.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g",
                        index, lightTypeName(l.Type), l.Diffuse.r, l.Diffuse.g, l.Diffuse.b,
                        l.Diffuse.a, l.Specular.r, l.Specular.g, l.Specular.b, l.Specular.a,
                        l.Ambient.r, l.Ambient.g, l.Ambient.b, l.Ambient.a, l.Position.x,
                        l.Position.y, l.Position.z, l.Direction.x, l.Direction.y, l.Direction.z,
                        l.Range, l.Falloff, l.Attenuation0, l.Attenuation1, l.Attenuation2,
                        l.Theta, l.Phi);
        }
    }
    return hr;
}

HRESULT DeviceBase::GetLight(DWORD index, D3DLIGHT9* light) {
    if (!light || index >= lights_.size() || !lights_[index].set) return D3DERR_INVALIDCALL;
    *light = lights_[index].light;
    return D3D_OK;
}

HRESULT DeviceBase::LightEnable(DWORD index, BOOL enable) {
    HRESULT hr = D3D_OK;
    if (index >= kMaxLights) {
        hr = D3DERR_INVALIDCALL;
    } else {
        if (lights_.size() <= index) lights_.resize(index + 1);
        LightSlot& slot = lights_[index];
        if (!slot.set) {
            slot.light = defaultLight();
            slot.set = true;
        }
        slot.enabled = enable != FALSE;
    }
    traceResult(hr, "LightEnable %u %s", index, enable ? "TRUE" : "FALSE");
    return hr;
}

HRESULT DeviceBase::GetLightEnable(DWORD index, BOOL* enable) {
    if (!enable || index >= lights_.size() || !lights_[index].set) return D3DERR_INVALIDCALL;
    *enable = lights_[index].enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT DeviceBase::SetMaterial(const D3DMATERIAL9* material) {
    const HRESULT hr = material && validMaterial(*material) ? D3D_OK : D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr)) material_ = *material;
    if (tracing()) {
        if (!material) {
            traceResult(hr, "SetMaterial null");
        } else {
            const D3DMATERIAL9& m = *material;
            traceResult(hr,
                        "SetMaterial %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g "
                        "%.9g %.9g %.9g %.9g %.9g",
                        m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a, m.Ambient.r,
                        m.Ambient.g, m.Ambient.b, m.Ambient.a, m.Specular.r, m.Specular.g,
                        m.Specular.b, m.Specular.a, m.Emissive.r, m.Emissive.g, m.Emissive.b,
                        m.Emissive.a, m.Power);
        }
    }
    return hr;
}

HRESULT DeviceBase::GetMaterial(D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = material_;
    return D3D_OK;
}

}  // namespace d3d9::detail

namespace d3d9::detail {
namespace {

// Larger draws from memory are refused rather than copied.
constexpr unsigned long long kMaxUpBytes = 64ull << 20;

}  // namespace

UINT fvfVertexSize(DWORD fvf) {
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
        case 0: return 0;
        case D3DFVF_XYZ: size = 12; break;
        case D3DFVF_XYZRHW:
        case D3DFVF_XYZW: size = 16; break;
        default: size = 12 + 4 * (((fvf & 0xE) - 4) / 2); break;  // XYZB1..XYZB5
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & D3DFVF_PSIZE) size += 4;
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    static const UINT kSetBytes[4] = {8, 12, 16, 4};
    for (UINT i = 0; i < sets && i < 8; ++i) size += kSetBytes[(fvf >> (16 + 2 * i)) & 3];
    return size;
}

HRESULT DeviceBase::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    HRESULT hr = D3DERR_INVALIDCALL;
    const UINT count = indexCountOf(type, primitiveCount);
    const UINT size = fvfVertexSize(fvf_);
    if (primitiveCount > 0 && count > 0 && size > 0 && stream_ && streamStride_ >= size) {
        const unsigned long long end = streamOffset_ +
                                       (static_cast<unsigned long long>(startVertex) + count - 1) * streamStride_ + size;
        if (end <= stream_->store.length()) hr = D3D_OK;
    }
    if (SUCCEEDED(hr) && drawing_) {
        makeCurrent();
        doDrawFixed(type, startVertex, count, nullptr, streamStride_);
    }
    if (tracing())
        traceResult(hr, "DrawPrimitive %s %u %u", primitiveTypeName(type) ? primitiveTypeName(type) : "?",
                    startVertex, primitiveCount);
    return hr;
}

HRESULT DeviceBase::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) {
    HRESULT hr = D3DERR_INVALIDCALL;
    const UINT count = indexCountOf(type, primitiveCount);
    const UINT size = fvfVertexSize(fvf_);
    if (vertices && primitiveCount > 0 && count > 0 && size > 0 && stride >= size &&
        static_cast<unsigned long long>(count) * stride <= kMaxUpBytes) {
        hr = D3D_OK;
    }
    if (SUCCEEDED(hr) && drawing_) {
        makeCurrent();
        doDrawFixed(type, 0, count, vertices, stride);
    }
    if (tracing())
        traceResult(hr, "DrawPrimitiveUP %s %u %u", primitiveTypeName(type) ? primitiveTypeName(type) : "?",
                    primitiveCount, stride);
    return hr;
}

HRESULT DeviceBase::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) {
    HRESULT hr = D3DERR_INVALIDCALL;
    const UINT count = indexCountOf(type, primitiveCount);
    const UINT size = fvfVertexSize(fvf_);
    const UINT indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : indexFormat == D3DFMT_INDEX16 ? 2 : 0;
    const unsigned long long end = static_cast<unsigned long long>(minVertexIndex) + numVertices;
    if (vertices && indices && indexSize && primitiveCount > 0 && count > 0 && numVertices > 0 && size > 0 &&
        stride >= size && end * stride <= kMaxUpBytes && static_cast<unsigned long long>(count) * indexSize <= kMaxUpBytes) {
        // Every index must fall inside the vertices the caller said it passed: GL reads
        // only the copy made of those.
        hr = D3D_OK;
        for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
            std::uint32_t index = 0;
            std::memcpy(&index, static_cast<const std::uint8_t*>(indices) + static_cast<std::size_t>(i) * indexSize,
                        indexSize);
            if (index < minVertexIndex || index >= end) hr = D3DERR_INVALIDCALL;
        }
    }
    if (SUCCEEDED(hr) && drawing_) {
        makeCurrent();
        doDrawFixedIndexed(type, count, indices, indexSize, static_cast<UINT>(end), vertices, stride);
    }
    if (tracing())
        traceResult(hr, "DrawIndexedPrimitiveUP %s %u %u %u %u %u", primitiveTypeName(type) ? primitiveTypeName(type) : "?",
                    minVertexIndex, numVertices, primitiveCount, indexSize * 8, stride);
    return hr;
}

}  // namespace d3d9::detail

namespace d3d9 {
unsigned fixedFunctionProgramCount(IDirect3DDevice9* device) {
    return device ? static_cast<detail::DeviceBase*>(device)->fixedFunctionPrograms() : 0;
}
}  // namespace d3d9
