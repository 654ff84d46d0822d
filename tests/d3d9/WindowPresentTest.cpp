// Present on a real window (under the X server the test script starts): a desktop-sized
// back buffer is scaled into a smaller window, as a windowed show does.
#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>
#include <vector>

#include "d3d9/D3d9TestSupport.h"
#include "platform/d3d9/internal.h"
#include "platform/win32/hwnd.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// The X and GLX stack behind SDL windows keeps a few small blocks that the leak checker
// cannot trace back (its frames are not unwindable); what these tests allocate is not
// leak-checked. AddressSanitizer still checks every access.
void stopLeakChecks() { __lsan_disable(); }
void resumeLeakChecks() { __lsan_enable(); }
#else
void stopLeakChecks() {}
void resumeLeakChecks() {}
#endif

class WindowPresent : public ::testing::Test {
protected:
    void SetUp() override {
        stopLeakChecks();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no display: " << SDL_GetError();
        video_ = true;
        // SDL falls back to drivers without a screen when there is no display.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)
            GTEST_SKIP() << "no display (video driver " << (driver ? driver : "none") << ")";
        window_ = SDL_CreateWindow("d3d9 test", 0, 0, 640, 360, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        if (!window_) GTEST_SKIP() << "no GL window: " << SDL_GetError();
        d3d9::configure(d3d9::BackendConfig{});
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(nullptr, d3d_);
    }
    void TearDown() override {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
        if (window_) SDL_DestroyWindow(window_);
        if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        resumeLeakChecks();
    }

    SDL_Window* window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    bool video_ = false;
};

}  // namespace

TEST_F(WindowPresent, DesktopSizedBackBufferIsScaledIntoTheWindow) {
    D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(1280, 720);
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(D3D_OK, d3d_->CreateDevice(0, D3DDEVTYPE_HAL, win32::windowHandleOf(window_),
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_));
    ASSERT_EQ(D3D_OK, device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 255, 0), 1.0f, 0));
    const RECT left{0, 0, 640, 720};
    ASSERT_EQ(D3D_OK, device_->Clear(1, &left, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 255, 0, 0), 1.0f, 0));
    ASSERT_EQ(D3D_OK, device_->Present(nullptr, nullptr, nullptr, nullptr));

    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    ASSERT_EQ(640, w);
    ASSERT_EQ(360, h);
    d3d9::internal::makeCurrent(device_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    // Some X servers give nothing back from the front buffer; Mesa's software swap
    // leaves the presented frame in the back buffer as well.
    for (const GLenum buffer : {GL_FRONT, GL_BACK}) {
        glReadBuffer(buffer);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        bool drawn = false;
        for (std::size_t i = 0; i < pixels.size() && !drawn; i += 4) {
            drawn = pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0;
        }
        if (drawn) break;
    }
    auto red = [&](int x, int y) { return pixels[(static_cast<std::size_t>(y) * w + x) * 4]; };
    auto green = [&](int x, int y) { return pixels[(static_cast<std::size_t>(y) * w + x) * 4 + 1]; };
    // The back buffer's left half fills the window's left half: scaled by one half.
    EXPECT_EQ(255, red(100, 180));
    EXPECT_EQ(255, red(316, 10));
    EXPECT_EQ(255, green(324, 350));
    EXPECT_EQ(255, green(600, 180));
    EXPECT_EQ(0, green(100, 180));
    EXPECT_EQ(0, red(600, 180));

    // The device's own back buffer keeps its size.
    int bw = 0, bh = 0;
    d3d9::internal::renderTargetSize(device_, bw, bh);
    EXPECT_EQ(1280, bw);
    EXPECT_EQ(720, bh);
}

TEST_F(WindowPresent, WindowedDeviceWithoutSizeTakesTheWindowsSize) {
    D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(0, 0);
    ASSERT_EQ(D3D_OK, d3d_->CreateDevice(0, D3DDEVTYPE_HAL, win32::windowHandleOf(window_),
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_));
    EXPECT_EQ(640u, pp.BackBufferWidth);
    EXPECT_EQ(360u, pp.BackBufferHeight);
    EXPECT_EQ(D3D_OK, device_->Present(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(WindowPresent, FullScreenDeviceMakesTheWindowFullScreen) {
    D3DPRESENT_PARAMETERS pp = d3d9test::presentParams(640, 360);
    pp.Windowed = FALSE;
    pp.FullScreen_RefreshRateInHz = 60;
    ASSERT_EQ(D3D_OK, d3d_->CreateDevice(0, D3DDEVTYPE_HAL, win32::windowHandleOf(window_),
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_));
    EXPECT_TRUE(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(D3D_OK, device_->Present(nullptr, nullptr, nullptr, nullptr));
}
