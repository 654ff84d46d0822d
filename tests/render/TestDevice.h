// Test helpers: a trace device whose lines are collected, and a recording effect that
// writes its calls into the same log, so that the order of effect and device calls
// can be checked together.
#pragma once

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/messagebox.h"

namespace testing_support {

struct LineLog : d3d9::TraceSink {
    std::vector<std::string> lines;
    void line(const char* text, std::size_t length) override { lines.emplace_back(text, length); }
    // The lines that start with `prefix`, in order.
    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
        return out;
    }
    std::size_t count(const std::string& prefix) const { return starting(prefix).size(); }
};

// An ID3DXEffect that records every call as a line ("Begin 3", "BeginPass 1",
// "SetMatrix matWorld", "SetTexture tex0 null") and keeps the last value of each
// matrix and texture parameter. Begin yields `passCount`; setters return `setResult`.
struct RecordingEffect : ID3DXEffect {
    LineLog* log = nullptr;
    UINT passCount = 1;
    HRESULT setResult = S_OK;
    std::map<std::string, D3DXMATRIX> matrices;
    std::map<std::string, std::vector<float>> arrays;
    std::map<std::string, IDirect3DBaseTexture9*> textures;

    explicit RecordingEffect(LineLog* sink, UINT passes = 1) : log(sink), passCount(passes) {}
    ~RecordingEffect() override = default;

    void note(const std::string& text) {
        if (log) log->lines.push_back(text);
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SetFloat(D3DXHANDLE p, float) override {
        note(std::string("SetFloat ") + p);
        return setResult;
    }
    HRESULT SetFloatArray(D3DXHANDLE p, const float* v, UINT n) override {
        note(std::string("SetFloatArray ") + p);
        arrays[p] = std::vector<float>(v, v + n);
        return setResult;
    }
    HRESULT SetMatrix(D3DXHANDLE p, const D3DXMATRIX* m) override {
        note(std::string("SetMatrix ") + p);
        matrices[p] = *m;
        return setResult;
    }
    HRESULT SetTexture(D3DXHANDLE p, IDirect3DBaseTexture9* t) override {
        note(std::string("SetTexture ") + p + (t ? " set" : " null"));
        textures[p] = t;
        return setResult;
    }
    HRESULT SetBool(D3DXHANDLE p, BOOL) override {
        note(std::string("SetBool ") + p);
        return setResult;
    }
    HRESULT SetInt(D3DXHANDLE p, INT) override {
        note(std::string("SetInt ") + p);
        return setResult;
    }
    HRESULT SetTechnique(D3DXHANDLE t) override {
        note(std::string("SetTechnique ") + t);
        return S_OK;
    }
    HRESULT Begin(UINT* passes, DWORD flags) override {
        note("Begin " + std::to_string(flags));
        *passes = passCount;
        return S_OK;
    }
    HRESULT BeginPass(UINT pass) override {
        note("BeginPass " + std::to_string(pass));
        return S_OK;
    }
    HRESULT EndPass() override {
        note("EndPass");
        return S_OK;
    }
    HRESULT End() override {
        note("End");
        return S_OK;
    }
    HRESULT CommitChanges() override {
        note("CommitChanges");
        return S_OK;
    }
    HRESULT GetDesc(D3DXEFFECT_DESC*) override { return E_NOTIMPL; }
};

// A trace device in gDevice for the test's lifetime, with message boxes reset and kept
// non-interactive.
class TraceDeviceTest : public ::testing::Test {
protected:
    LineLog log;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
        d3d9::BackendConfig config;
        config.backend = d3d9::Backend::Trace;
        config.traceSink = &log;
        d3d9::configure(config);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 640;
        pp.BackBufferHeight = 480;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        gDevice = device;
        gDisplaySettings = DisplaySettings{};
        log.lines.clear();
    }
    void TearDown() override {
        gDevice = nullptr;
        if (device) device->Release();
        if (d3d) d3d->Release();
        d3d9::configure(d3d9::BackendConfig{});
    }
};

}  // namespace testing_support
