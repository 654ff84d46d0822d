// The device creation, teardown, message pump and window procedure of the show window,
// without a display: devices come from the trace backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/FakeDirect3D.h"
#include "app/globals/DisplaySettings.h"
#include "platform/win32/keys.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/messages.h"

namespace {

struct Lines : d3d9::TraceSink {
    std::vector<std::string> lines;
    void line(const char* text, std::size_t length) override { lines.emplace_back(text, length); }
    long indexOf(const std::string& start) const {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].rfind(start, 0) == 0) return static_cast<long>(i);
        return -1;
    }
};

void clearKeys() {
    for (int vk : {VK_ESCAPE, VK_RETURN, int('I'), int('O')}) {
        win32::noteKeyUp(vk);
        GetAsyncKeyState(vk);
    }
}

class AppWindowTest : public ::testing::Test {
protected:
    FakeDirect3D d3d;
    Lines trace;
    AppWindow app;

    void SetUp() override {
        gDisplaySettings = DisplaySettings{};
        gDisplaySettings.displayMode = {800, 600, 75, D3DFMT_X8R8G8B8};
        d3d.desktop = {1280, 1024, 60, D3DFMT_X8R8G8B8};
        d3d.traceSink = &trace;
        gD3D = &d3d;
        gDevice = nullptr;
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
        win32::clearMessageQueue();
        clearKeys();
    }
    void TearDown() override {
        app.destroy();
        gD3D = nullptr;
        gDevice = nullptr;
        win32::clearMessageQueue();
        clearKeys();
    }
};

TEST_F(AppWindowTest, WindowedDeviceTakesTheDesktopModeAndKeepsTheWindowSize) {
    app.window = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(app.createDevice());
    EXPECT_EQ(gDisplaySettings.displayMode.Width, 1280u);
    EXPECT_EQ(gDisplaySettings.displayMode.Height, 1024u);
    const D3DPRESENT_PARAMETERS& p = d3d.lastParameters;
    EXPECT_EQ(p.BackBufferWidth, 1280u);
    EXPECT_EQ(p.BackBufferHeight, 1024u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 3u);
    EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.MultiSampleQuality, 0u);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, nullptr);
    EXPECT_EQ(p.Windowed, TRUE);
    EXPECT_EQ(p.EnableAutoDepthStencil, FALSE);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(p.Flags, 0u);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_EQ(d3d.lastFocusWindow, app.window);
    EXPECT_EQ(d3d.lastBehaviour, D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_EQ(win32::messageBoxCount(), 0u);
    EXPECT_NE(gDevice, nullptr);

    ASSERT_NE(app.depthSurface, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(app.depthSurface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1280u);
    EXPECT_EQ(desc.Height, 1024u);
    EXPECT_EQ(desc.Format, D3DFMT_D24X8);
    const long created = trace.indexOf("CreateDepthStencilSurface");
    const long set = trace.indexOf("SetDepthStencilSurface");
    ASSERT_GE(created, 0);
    EXPECT_GT(set, created);
}

TEST_F(AppWindowTest, FullScreenDeviceUsesTheChosenModeAndRate) {
    gDisplaySettings.fullscreen = true;
    gDisplaySettings.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(4);
    gDisplaySettings.vsync = false;
    ASSERT_TRUE(app.createDevice());
    const D3DPRESENT_PARAMETERS& p = d3d.lastParameters;
    EXPECT_EQ(p.BackBufferWidth, 800u);
    EXPECT_EQ(p.BackBufferHeight, 600u);
    EXPECT_EQ(p.Windowed, FALSE);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 75u);
    EXPECT_EQ(p.MultiSampleType, static_cast<D3DMULTISAMPLE_TYPE>(4));
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(app.depthSurface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 800u);
    EXPECT_EQ(desc.MultiSampleType, static_cast<D3DMULTISAMPLE_TYPE>(4));
}

TEST_F(AppWindowTest, MissingHardwareTransformWarnsOnceAndUsesSoftwareVertices) {
    d3d.devCaps = 0;
    ASSERT_TRUE(app.createDevice());
    ASSERT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().text, "Your GPU is from Poland!");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Shitty Hardware");
    EXPECT_EQ(d3d.lastBehaviour, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(AppWindowTest, FailuresAreReportedAndStopTheStart) {
    d3d.desktopResult = D3DERR_INVALIDCALL;
    EXPECT_FALSE(app.createDevice());
    EXPECT_STREQ(win32::lastMessageBox().text, "GetAdapterDisplayMode");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Error::Window");
    EXPECT_EQ(d3d.createDeviceCalls, 0);

    d3d.desktopResult = D3D_OK;
    d3d.createDeviceResult = D3DERR_NOTAVAILABLE;
    EXPECT_FALSE(app.createDevice());
    EXPECT_STREQ(win32::lastMessageBox().text, "CreateDevice");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Error::D3D9Init");
    EXPECT_EQ(gDevice, nullptr);
}

TEST_F(AppWindowTest, DepthSurfaceFailureIsReported) {
    gDisplaySettings.fullscreen = true;
    gDisplaySettings.displayMode.Width = 100000;  // too wide for any surface
    EXPECT_FALSE(app.createDevice());
    EXPECT_STREQ(win32::lastMessageBox().text, "CreateDepthStencilSurface");
    EXPECT_STREQ(win32::lastMessageBox().caption, "Error::D3D9Init");
    EXPECT_EQ(app.depthSurface, nullptr);
}

TEST_F(AppWindowTest, DestroyReleasesEverythingOnce) {
    ASSERT_TRUE(app.createDevice());
    app.destroy();
    EXPECT_EQ(d3d.releases, 1);
    EXPECT_EQ(gD3D, nullptr);
    EXPECT_EQ(gDevice, nullptr);
    EXPECT_EQ(app.depthSurface, nullptr);
    app.destroy();
    EXPECT_EQ(d3d.releases, 1);
}

TEST_F(AppWindowTest, WindowProcedureQuitsOnDestroyAndOnEscape) {
    MSG message{};
    EXPECT_EQ(windowProc(nullptr, WM_DESTROY, 0, 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 0u);

    // A key-down quits only while Escape's state is set, whatever the key.
    windowProc(nullptr, WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    win32::noteKeyDown(VK_ESCAPE);
    EXPECT_EQ(windowProc(nullptr, WM_KEYDOWN, 'A', 0), 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
}

TEST_F(AppWindowTest, WindowProcedureRefusesOnlyTheExactScreenSaverCommands) {
    EXPECT_EQ(windowProc(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(windowProc(nullptr, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    MSG message{};
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(AppWindowTest, PumpHandlesOneMessagePerCall) {
    for (int i = 0; i < 3; ++i) PostMessageA(nullptr, WM_USER + i, 0, 0);
    EXPECT_TRUE(app.pumpMessages());
    EXPECT_EQ(win32::pendingMessageCount(), 2u);
    EXPECT_EQ(app.message.message, WM_USER);
    EXPECT_TRUE(app.pumpMessages());
    EXPECT_EQ(app.message.message, WM_USER + 1u);
}

TEST_F(AppWindowTest, PumpStopsWhileEscapeIsDownOrWasPressed) {
    EXPECT_TRUE(app.pumpMessages());
    win32::noteKeyDown(VK_ESCAPE);
    win32::noteKeyUp(VK_ESCAPE);  // a tap between two frames still counts
    EXPECT_FALSE(app.pumpMessages());
}

TEST_F(AppWindowTest, PumpStopsOnceTheQuitRequestComesThrough) {
    gDisplaySettings.fullscreen = true;
    PostMessageA(nullptr, WM_USER, 0, 0);
    PostQuitMessage(0);
    // The quit request waits until the queue holds nothing else.
    EXPECT_TRUE(app.pumpMessages());
    EXPECT_FALSE(app.pumpMessages());
    EXPECT_FALSE(app.pumpMessages());
}

}  // namespace
