// The Direct3D object: adapter modes, desktop mode, multisampling answers, caps.
#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"

namespace {

struct ConfiguredD3d {
    IDirect3D9* d3d = nullptr;
    explicit ConfiguredD3d(const d3d9::BackendConfig& config) {
        d3d9::configure(config);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
    }
    ~ConfiguredD3d() {
        if (d3d) d3d->Release();
        d3d9::configure(d3d9::BackendConfig{});
    }
};

d3d9::BackendConfig traceConfig() {
    d3d9::BackendConfig config;
    config.backend = d3d9::Backend::Trace;
    return config;
}

bool hasMode(IDirect3D9* d3d, UINT w, UINT h, UINT rate) {
    const UINT count = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode) == D3D_OK && mode.Width == w &&
            mode.Height == h && mode.RefreshRate == rate && mode.Format == D3DFMT_X8R8G8B8) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(Adapter, OnlyTheSdkVersionOfTheShowIsAccepted) {
    EXPECT_EQ(nullptr, Direct3DCreate9(31));
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(nullptr, d3d);
    EXPECT_EQ(1u, d3d->GetAdapterCount());
    EXPECT_EQ(0u, d3d->Release());
}

TEST(Adapter, WithoutADisplayReportsTheFixedModesAndDesktop) {
    for (const bool trace : {true, false}) {
        d3d9::BackendConfig config = traceConfig();
        if (!trace) {
            config.backend = d3d9::Backend::Gl;
            config.headless = true;
        }
        ConfiguredD3d c(config);
        ASSERT_NE(nullptr, c.d3d);
        EXPECT_TRUE(hasMode(c.d3d, 640, 480, 60));
        EXPECT_TRUE(hasMode(c.d3d, 800, 600, 60));
        EXPECT_TRUE(hasMode(c.d3d, 1024, 768, 60));
        EXPECT_TRUE(hasMode(c.d3d, 1280, 720, 60));
        EXPECT_TRUE(hasMode(c.d3d, 1920, 1080, 60));
        EXPECT_EQ(0u, c.d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5));
        EXPECT_EQ(0u, c.d3d->GetAdapterModeCount(1, D3DFMT_X8R8G8B8));
        D3DDISPLAYMODE mode{};
        const UINT count = c.d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
        EXPECT_EQ(D3DERR_INVALIDCALL, c.d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, count, &mode));
        ASSERT_EQ(D3D_OK, c.d3d->GetAdapterDisplayMode(0, &mode));
        EXPECT_EQ(1280u, mode.Width);
        EXPECT_EQ(720u, mode.Height);
        EXPECT_EQ(60u, mode.RefreshRate);
        EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
    }
}

TEST(Adapter, ConfiguredModesAndDesktopAreReportedAsGiven) {
    d3d9::BackendConfig config = traceConfig();
    config.modes = {{640, 480, 60, D3DFMT_UNKNOWN}, {1600, 1200, 120, D3DFMT_UNKNOWN},
                    {800, 600, 60, D3DFMT_UNKNOWN}, {800, 600, 85, D3DFMT_UNKNOWN}};
    config.desktop = {1920, 1200, 75, D3DFMT_X8R8G8B8};
    ConfiguredD3d c(config);
    ASSERT_EQ(4u, c.d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8));
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(D3D_OK, c.d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 3, &mode));
    EXPECT_EQ(85u, mode.RefreshRate);  // adapter order is the configured order
    EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
    ASSERT_EQ(D3D_OK, c.d3d->GetAdapterDisplayMode(0, &mode));
    EXPECT_EQ(1920u, mode.Width);
    EXPECT_EQ(1200u, mode.Height);
    EXPECT_EQ(D3DERR_INVALIDCALL, c.d3d->GetAdapterDisplayMode(0, nullptr));
}

TEST(Adapter, CapsReportHardwareTransformAndLighting) {
    ConfiguredD3d c(traceConfig());
    D3DCAPS9 caps{};
    ASSERT_EQ(D3D_OK, c.d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(D3DERR_INVALIDCALL, c.d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, nullptr));
}

TEST(Adapter, TraceBackendSupportsEveryMultisampleType) {
    ConfiguredD3d c(traceConfig());
    for (DWORD type = 0; type <= 16; ++type) {
        DWORD quality = 0;
        EXPECT_EQ(D3D_OK, c.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                                            static_cast<D3DMULTISAMPLE_TYPE>(type),
                                                            &quality));
        EXPECT_EQ(1u, quality);
    }
    EXPECT_EQ(D3DERR_INVALIDCALL,
              c.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                                static_cast<D3DMULTISAMPLE_TYPE>(17), nullptr));
}

TEST(Adapter, TraceBackendCanStandInForAnAdapterWithGaps) {
    d3d9::BackendConfig config = traceConfig();
    config.multisampleTypes = {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES};
    ConfiguredD3d c(config);
    auto check = [&](DWORD type) {
        return c.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                                 static_cast<D3DMULTISAMPLE_TYPE>(type), nullptr);
    };
    EXPECT_EQ(D3D_OK, check(0));
    EXPECT_EQ(D3D_OK, check(4));
    EXPECT_EQ(D3DERR_NOTAVAILABLE, check(6));
    D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(64, 64, D3DMULTISAMPLE_8_SAMPLES);
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(D3DERR_NOTAVAILABLE, c.d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device));
    pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    ASSERT_EQ(D3D_OK, c.d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device));
    EXPECT_EQ(0u, device->Release());
}

TEST(Adapter, GlBackendAnswersMultisamplingFromTheDriver) {
    d3d9::BackendConfig config;
    config.headless = true;
    ConfiguredD3d c(config);
    // The driver's own limit, read through a device of ours.
    d3d9test::DeviceFixture f;
    if (!f.createHeadless(16, 16)) GTEST_SKIP() << "no headless OpenGL here";
    d3d9::internal::makeCurrent(f.device);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    for (DWORD type = 0; type <= 16; ++type) {
        const HRESULT hr = c.d3d->CheckDeviceMultiSampleType(
            0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, static_cast<D3DMULTISAMPLE_TYPE>(type), nullptr);
        const bool expected = type == 0 || type == 1 || static_cast<GLint>(type) <= maxSamples;
        EXPECT_EQ(expected ? D3D_OK : D3DERR_NOTAVAILABLE, hr) << "type " << type;
    }
}

TEST(Adapter, OnAScreenModesAndDesktopComeFromTheScreen) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no video at all";
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool screen = std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    SDL_DisplayMode desktop{};
    SDL_GetDesktopDisplayMode(0, &desktop);
    {
        ConfiguredD3d c(d3d9::BackendConfig{});
        ASSERT_NE(nullptr, c.d3d);
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(D3D_OK, c.d3d->GetAdapterDisplayMode(0, &mode));
        if (screen) {
            EXPECT_EQ(static_cast<UINT>(desktop.w), mode.Width);
            EXPECT_EQ(static_cast<UINT>(desktop.h), mode.Height);
            EXPECT_TRUE(hasMode(c.d3d, mode.Width, mode.Height, mode.RefreshRate));
        } else {
            // A stand-in video driver is no screen: the fixed list and desktop apply.
            EXPECT_EQ(1280u, mode.Width);
            EXPECT_TRUE(hasMode(c.d3d, 640, 480, 60));
        }
        // Sorted and without repeats.
        const UINT count = c.d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
        ASSERT_GT(count, 0u);
        D3DDISPLAYMODE previous{};
        for (UINT i = 0; i < count; ++i) {
            ASSERT_EQ(D3D_OK, c.d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode));
            if (i > 0) {
                const bool after = mode.Width > previous.Width ||
                                   (mode.Width == previous.Width && mode.Height > previous.Height) ||
                                   (mode.Width == previous.Width && mode.Height == previous.Height &&
                                    mode.RefreshRate > previous.RefreshRate);
                EXPECT_TRUE(after) << "mode " << i;
            }
            previous = mode;
        }
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
