// Surfaces drawn into: depth-stencil surfaces, the back buffer as a surface, and levels
// of render-target textures set in its place (up to four at once).
#include <cstdio>
#include <new>

#include "platform/d3d9/DeviceBase.h"
#include "platform/d3d9/FormatTable.h"
#include "platform/d3d9/Names.h"

namespace d3d9::detail {

namespace {
bool samplesValid(DWORD type) { return type == 0 || (type >= 1 && type <= 16); }
}  // namespace

HRESULT DeviceBase::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                              BOOL discard, IDirect3DSurface9** surface,
                                              HANDLE* sharedHandle) {
    HRESULT hr = D3D_OK;
    Surface* object = nullptr;
    if (surface) *surface = nullptr;
    if (!surface || sharedHandle || width == 0 || height == 0 || width > kMaxTextureSize ||
        height > kMaxTextureSize || quality != 0 || !samplesValid(multiSample) ||
        !formatAllows(format, kFormatDepth) ||
        !samplesSupported(multiSample)) {
        hr = D3DERR_INVALIDCALL;
    } else {
        D3DSURFACE_DESC desc{format, 1, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, multiSample,
                             quality, width, height};
        object = new (std::nothrow) Surface(this, desc);
        if (!object) {
            hr = E_OUTOFMEMORY;
        } else {
            char name[16];
            std::snprintf(name, sizeof name, "ds%u", ++counters_[kDs]);
            if (realise(object, name)) {
                *surface = object;
            } else {
                object = nullptr;
                hr = D3DERR_OUTOFVIDEOMEMORY;
            }
        }
    }
    traceResult(hr, "CreateDepthStencilSurface %s %u %u %s %u %u %d", nameOf(object), width, height,
                named(formatName(format), format).text, static_cast<unsigned>(multiSample),
                quality, discard);
    return hr;
}

HRESULT DeviceBase::SetDepthStencilSurface(IDirect3DSurface9* surface) {
    auto* object = static_cast<Surface*>(surface);
    HRESULT hr = D3D_OK;
    const DWORD samples = object && object->desc.MultiSampleType >= 2 ? static_cast<DWORD>(object->desc.MultiSampleType) : 0u;
    // A depth surface smaller than the back buffer, or sampled differently, cannot serve it.
    // Texture targets take any: one that does not suit them leaves them without depth, as
    // the order of SetRenderTarget and SetDepthStencilSurface is the caller's.
    const bool frame = targets_[0] == nullptr;
    if (object && (object->isColour() ||
                   (frame && (object->desc.Width < width_ || object->desc.Height < height_ || samples != samples_)))) {
        hr = D3DERR_INVALIDCALL;
    } else if (object != depth_) {
        makeCurrent();
        hr = attachDepth(object);
        if (SUCCEEDED(hr)) {
            if (object) object->bind();
            if (depth_) depth_->unbind();
            depth_ = object;
        }
    }
    traceResult(hr, "SetDepthStencilSurface %s", nameOf(object));
    return hr;
}


HRESULT DeviceBase::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface) {
    HRESULT hr = D3D_OK;
    if (surface) *surface = nullptr;
    if (!surface || swapChain != 0 || backBuffer != 0 || type != D3DBACKBUFFER_TYPE_MONO) {
        hr = D3DERR_INVALIDCALL;
    } else {
        if (!backBuffer_) {
            D3DSURFACE_DESC desc{};
            desc.Format = D3DFMT_X8R8G8B8;
            desc.Type = D3DRTYPE_SURFACE;
            desc.Usage = D3DUSAGE_RENDERTARGET;
            desc.Pool = D3DPOOL_DEFAULT;
            desc.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(samples_);
            desc.Width = width_;
            desc.Height = height_;
            backBuffer_ = new (std::nothrow) Surface(this, desc);
            if (backBuffer_) backBuffer_->setName("backbuffer");
        }
        if (backBuffer_) {
            backBuffer_->AddRef();
            *surface = backBuffer_;
        } else {
            hr = E_OUTOFMEMORY;
        }
    }
    traceResult(hr, "GetBackBuffer %u %u", swapChain, backBuffer);
    return hr;
}

HRESULT DeviceBase::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (surface) *surface = nullptr;
    if (!surface || index >= kRenderTargetCount) return D3DERR_INVALIDCALL;
    if (index == 0 && !targets_[0]) return GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface);
    if (!targets_[index]) return D3DERR_NOTFOUND;
    targets_[index]->AddRef();
    *surface = targets_[index];
    return D3D_OK;
}

HRESULT DeviceBase::GetDepthStencilSurface(IDirect3DSurface9** surface) {
    if (surface) *surface = nullptr;
    if (!surface) return D3DERR_INVALIDCALL;
    if (!depth_) return D3DERR_NOTFOUND;
    depth_->AddRef();
    *surface = depth_;
    return D3D_OK;
}

HRESULT DeviceBase::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
    auto* object = static_cast<Surface*>(surface);
    HRESULT hr = D3D_OK;
    // The back buffer is target 0 only; the others take texture levels or nothing.
    const bool back = object && object == backBuffer_;
    if (index >= kRenderTargetCount || (index == 0 && !object) || (object && !object->isColour()) ||
        (back && index != 0)) {
        hr = D3DERR_INVALIDCALL;
    } else {
        Surface* next = back ? nullptr : object;
        if (next != targets_[index]) {
            if (next) next->bind();
            if (targets_[index]) targets_[index]->unbind();
            targets_[index] = next;
        }
        if (index == 0) {
            int w = 0, h = 0;
            renderTargetSize(w, h);
            scissor_ = RECT{0, 0, w, h};
        }
        makeCurrent();
        applyRenderTargets();
    }
    traceResult(hr, "SetRenderTarget %u %s", index, nameOf(object));
    return hr;
}

}  // namespace d3d9::detail
