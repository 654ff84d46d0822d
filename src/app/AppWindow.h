// The show's window and graphics device, created once at start-up and torn down when
// the process exits.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/messages.h"
#include "platform/win32/window.h"

class AppWindow {
public:
    IDirect3DSurface9* depthSurface = nullptr;
    WNDCLASSEXA windowClass{};
    MSG message{};
    HWND window = nullptr;
    HINSTANCE instance = nullptr;

    AppWindow() = default;
    ~AppWindow() { destroy(); }
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // The Direct3D object, the setup dialog, the window class and window, the device.
    // `title` is both the class name and the window text. False after the viewer chose
    // "Exit" or after a failure (already reported in a message box).
    bool create(const char* title);
    bool createDevice();
    void destroy();
    // Handles at most one queued message; false when the show must stop: Escape is down
    // or was pressed, or the window was closed (the quit request was seen).
    bool pumpMessages();

private:
    std::string className_;
    bool registered_ = false;
    bool quitSeen_ = false;
};

extern AppWindow gAppWindow;

LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
