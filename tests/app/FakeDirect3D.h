// A Direct3D object whose adapter the test describes: its modes (some of which may fail
// to read), the multisample types it supports, the desktop mode and the capabilities.
// Devices come from the trace backend, so that their creation can be watched.
#pragma once

#include <set>
#include <vector>

#include "platform/d3d9/backend.h"
#include "platform/d3d9/d3d9.h"

class FakeDirect3D : public IDirect3D9 {
public:
    std::vector<D3DDISPLAYMODE> modes;
    std::set<UINT> unreadableModes;
    int reportedModeCount = -1;  // -1: the number of modes
    std::set<int> supportedSamples{0, 2, 4, 6, 8, 10, 12, 14, 16};
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    HRESULT desktopResult = D3D_OK;
    DWORD devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    HRESULT createDeviceResult = D3D_OK;
    d3d9::TraceSink* traceSink = nullptr;  // where the created device's calls go

    // What CreateDevice was given.
    int createDeviceCalls = 0;
    D3DPRESENT_PARAMETERS lastParameters{};
    DWORD lastBehaviour = 0;
    HWND lastFocusWindow = nullptr;
    int releases = 0;

    ULONG AddRef() override { return 1; }
    ULONG Release() override {
        ++releases;
        return 0;
    }
    UINT GetAdapterCount() override { return 1; }
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        if (adapter != 0 || format != D3DFMT_X8R8G8B8) return 0;
        return reportedModeCount >= 0 ? static_cast<UINT>(reportedModeCount) : static_cast<UINT>(modes.size());
    }
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) override {
        if (adapter != 0 || format != D3DFMT_X8R8G8B8 || mode >= modes.size() || unreadableModes.count(mode))
            return D3DERR_INVALIDCALL;
        *out = modes[mode];
        return D3D_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* out) override {
        if (FAILED(desktopResult)) return desktopResult;
        *out = desktop;
        return D3D_OK;
    }
    HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE type,
                                       DWORD*) override {
        return supportedSamples.count(static_cast<int>(type)) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9* caps) override {
        *caps = D3DCAPS9{};
        caps->DevCaps = devCaps;
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override {
        ++createDeviceCalls;
        lastParameters = *parameters;
        lastBehaviour = behaviour;
        lastFocusWindow = focus;
        if (FAILED(createDeviceResult)) {
            *device = nullptr;
            return createDeviceResult;
        }
        d3d9::BackendConfig config;
        config.backend = d3d9::Backend::Trace;
        config.traceSink = traceSink;
        d3d9::configure(config);
        IDirect3D9* trace = Direct3DCreate9(D3D_SDK_VERSION);
        if (!trace) return E_FAIL;
        HRESULT hr = trace->CreateDevice(adapter, type, nullptr, behaviour, parameters, device);
        trace->Release();
        return hr;
    }
};
