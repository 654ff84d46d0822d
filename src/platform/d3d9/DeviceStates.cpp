// The scissor rectangle and the user clip planes, with their defaults.
#include <cstring>

#include "platform/d3d9/DeviceBase.h"

namespace d3d9::detail {

void DeviceBase::initScissorAndClipPlanes() {
    scissor_ = RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
    std::memset(clipPlanes_, 0, sizeof clipPlanes_);
}

HRESULT DeviceBase::SetScissorRect(const RECT* rect) {
    // A rectangle may not reach outside the render target.
    const bool valid = rect && rect->left >= 0 && rect->top >= 0 && rect->left <= rect->right &&
                       rect->top <= rect->bottom && rect->right <= static_cast<LONG>(width_) &&
                       rect->bottom <= static_cast<LONG>(height_);
    const HRESULT hr = valid ? D3D_OK : D3DERR_INVALIDCALL;
    if (valid && std::memcmp(&scissor_, rect, sizeof scissor_) != 0) {
        scissor_ = *rect;
        makeCurrent();
        applyScissorRect();
    }
    if (!rect) {
        traceResult(hr, "SetScissorRect null");
    } else {
        traceResult(hr, "SetScissorRect %d %d %d %d", rect->left, rect->top, rect->right, rect->bottom);
    }
    return hr;
}

HRESULT DeviceBase::GetScissorRect(RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = scissor_;
    return D3D_OK;
}

HRESULT DeviceBase::SetClipPlane(DWORD index, const float* plane) {
    const HRESULT hr = index < kClipPlaneCount && plane ? D3D_OK : D3DERR_INVALIDCALL;
    if (SUCCEEDED(hr) && std::memcmp(clipPlanes_[index], plane, sizeof clipPlanes_[index]) != 0) {
        std::memcpy(clipPlanes_[index], plane, sizeof clipPlanes_[index]);
        makeCurrent();
        applyClipPlane(index);
    }
    if (!plane) {
        traceResult(hr, "SetClipPlane %u null", index);
    } else {
        traceResult(hr, "SetClipPlane %u %g %g %g %g", index, plane[0], plane[1], plane[2], plane[3]);
    }
    return hr;
}

HRESULT DeviceBase::GetClipPlane(DWORD index, float* plane) {
    if (index >= kClipPlaneCount || !plane) return D3DERR_INVALIDCALL;
    std::memcpy(plane, clipPlanes_[index], sizeof clipPlanes_[index]);
    return D3D_OK;
}

}  // namespace d3d9::detail
