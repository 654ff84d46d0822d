// IDirect3D9: the adapter (modes, desktop, multisampling, caps) and device creation for
// the backend chosen through d3d9::configure.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/d3d9/Backends.h"
#include "platform/d3d9/FormatTable.h"
#include "platform/d3d9/backend.h"
#include "platform/win32/hwnd.h"
#include "platform/win32/video.h"

namespace d3d9 {
namespace {

using detail::formatAllows;
using detail::kFormatDisplay;
using detail::kFormatMultisample;

BackendConfig& config() {
    static BackendConfig value;
    return value;
}

const D3DDISPLAYMODE kFallbackModes[] = {
    {640, 480, 60, D3DFMT_X8R8G8B8},   {800, 600, 60, D3DFMT_X8R8G8B8},
    {1024, 768, 60, D3DFMT_X8R8G8B8},  {1280, 720, 60, D3DFMT_X8R8G8B8},
    {1920, 1080, 60, D3DFMT_X8R8G8B8},
};
constexpr D3DDISPLAYMODE kFallbackDesktop{1280, 720, 60, D3DFMT_X8R8G8B8};

bool modeLess(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    if (a.Width != b.Width) return a.Width < b.Width;
    if (a.Height != b.Height) return a.Height < b.Height;
    return a.RefreshRate < b.RefreshRate;
}

bool modeEqual(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate;
}

class Direct3D final : public IDirect3D9 {
public:
    explicit Direct3D(const BackendConfig& cfg) : config_(cfg) {
        if (config_.backend == Backend::Gl && !config_.headless &&
            win32::startVideo()) {
            video_ = true;
            if (realDisplay()) readDisplayModes();
        }
        if (modes_.empty()) {
            if (config_.modes.empty()) {
                modes_.assign(std::begin(kFallbackModes), std::end(kFallbackModes));
            } else {
                modes_ = config_.modes;
            }
        }
        if (desktop_.Width == 0) desktop_ = config_.desktop.Width ? config_.desktop : kFallbackDesktop;
        for (D3DDISPLAYMODE& mode : modes_) mode.Format = D3DFMT_X8R8G8B8;
        if (desktop_.Format == D3DFMT_UNKNOWN) desktop_.Format = D3DFMT_X8R8G8B8;
    }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        if (refs_ == 0) return 0;
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    UINT GetAdapterCount() override { return 1; }

    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        if (adapter != 0 || !formatAllows(format, kFormatDisplay)) return 0;
        return static_cast<UINT>(modes_.size());
    }

    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                             D3DDISPLAYMODE* displayMode) override {
        if (adapter != 0 || !displayMode || !formatAllows(format, kFormatDisplay)) return D3DERR_INVALIDCALL;
        if (mode >= modes_.size()) return D3DERR_INVALIDCALL;
        *displayMode = modes_[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
        if (adapter != 0 || !displayMode) return D3DERR_INVALIDCALL;
        *displayMode = desktop_;
        return D3D_OK;
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT surfaceFormat, BOOL,
                                       D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) override {
        if (qualityLevels) *qualityLevels = 0;
        if (adapter != 0 || type > D3DMULTISAMPLE_16_SAMPLES) return D3DERR_INVALIDCALL;
        if (!formatAllows(surfaceFormat, kFormatMultisample)) return D3DERR_NOTAVAILABLE;
        if (!typeSupported(type)) return D3DERR_NOTAVAILABLE;
        if (qualityLevels) *qualityLevels = 1;
        return D3D_OK;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override {
        if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
        *caps = D3DCAPS9{};
        caps->DeviceType = deviceType;
        caps->AdapterOrdinal = adapter;
        caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        caps->MaxTextureWidth = 16384;
        caps->MaxTextureHeight = 16384;
        caps->MaxPrimitiveCount = 0xFFFFF;
        caps->MaxVertexIndex = 0xFFFFFF;
        caps->VertexShaderVersion = 0xFFFE0300u;
        caps->PixelShaderVersion = 0xFFFF0300u;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override {
        if (device) *device = nullptr;
        if (adapter != 0 || !params || !device) return D3DERR_INVALIDCALL;
        if (params->MultiSampleType > D3DMULTISAMPLE_16_SAMPLES || params->MultiSampleQuality != 0)
            return D3DERR_INVALIDCALL;
        if (!typeSupported(params->MultiSampleType)) return D3DERR_NOTAVAILABLE;
        HRESULT hr = D3D_OK;
        detail::DeviceBase* created = nullptr;
        if (config_.backend == Backend::Trace) {
            if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) {
                // A windowed device without a size takes its window's; the trace has none.
                params->BackBufferWidth = desktop_.Width;
                params->BackBufferHeight = desktop_.Height;
            }
            created = detail::createTraceDevice(this, config_.traceSink, *params);
            if (!created) hr = E_OUTOFMEMORY;
        } else {
            HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
            SDL_Window* sdlWindow = config_.headless ? nullptr : win32::sdlWindowOf(window);
            created = detail::createGlDevice(this, sdlWindow, *params, hr);
        }
        if (!created) return FAILED(hr) ? hr : D3DERR_NOTAVAILABLE;
        if (params->EnableAutoDepthStencil) {
            IDirect3DSurface9* surface = nullptr;
            hr = created->CreateDepthStencilSurface(params->BackBufferWidth, params->BackBufferHeight,
                                                    params->AutoDepthStencilFormat,
                                                    params->MultiSampleType, 0, TRUE, &surface,
                                                    nullptr);
            if (SUCCEEDED(hr)) hr = created->SetDepthStencilSurface(surface);
            if (surface) surface->Release();
            if (FAILED(hr)) {
                created->Release();
                return hr;
            }
        }
        *device = created;
        return D3D_OK;
    }

private:
    ~Direct3D() {
        if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool typeSupported(D3DMULTISAMPLE_TYPE type) const {
        if (config_.backend == Backend::Trace) {
            const auto& list = config_.multisampleTypes;
            return list.empty() || std::find(list.begin(), list.end(), type) != list.end();
        }
        return type < 2 || static_cast<int>(type) <= detail::glMaxSamples();
    }

    // SDL's stand-in drivers (no screen at all) report made-up modes: those are no
    // display, and the configured or fixed modes apply.
    static bool realDisplay() {
        const char* driver = SDL_GetCurrentVideoDriver();
        return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    }

    void readDisplayModes() {
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode{};
            if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) continue;
            modes_.push_back({static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                              static_cast<UINT>(std::max(mode.refresh_rate, 0)), D3DFMT_X8R8G8B8});
        }
        std::sort(modes_.begin(), modes_.end(), modeLess);
        modes_.erase(std::unique(modes_.begin(), modes_.end(), modeEqual), modes_.end());
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
            desktop_ = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                        static_cast<UINT>(std::max(desktop.refresh_rate, 0)), D3DFMT_X8R8G8B8};
        } else {
            desktop_ = kFallbackDesktop;
        }
    }

    BackendConfig config_;
    std::vector<D3DDISPLAYMODE> modes_;
    D3DDISPLAYMODE desktop_{};
    bool video_ = false;
    ULONG refs_ = 1;
};

}  // namespace

void configure(const BackendConfig& cfg) { config() = cfg; }

const BackendConfig& currentConfig() { return config(); }

}  // namespace d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new (std::nothrow) d3d9::Direct3D(d3d9::currentConfig());
}
