#include "platform/win32/window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "platform/win32/hwnd.h"
#include "platform/win32/messages.h"
#include "platform/win32/video.h"
#include "platform/win32/windowtable.h"

namespace {

struct ClassRecord {
    std::string name;
    WNDCLASSEXA record;
};

// The tables live until the very end: the show's window object is torn down by the
// runtime's exit processing, after ordinary statics may already be gone.
std::deque<ClassRecord>& classes() {
    static auto* table = new std::deque<ClassRecord>;
    return *table;
}

ClassRecord* findClass(LPCSTR name) {
    if (!name) return nullptr;
    for (auto& c : classes())
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    return nullptr;
}

int gCursorCount = 0;
bool gScreenSaverRefused = false;
bool gMonitorPowerRefused = false;

void applyScreenSaver() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (win32::screenSaverAllowed())
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

// SDL cannot tell when the screen saver is about to start, so a new window is asked
// once, as Windows asks it when the idle time runs out: a procedure that refuses keeps
// the saver (and the power-down) off for as long as the process runs.
void askAboutScreenSaver(HWND window) {
    gScreenSaverRefused = true;
    gMonitorPowerRefused = true;
    applyScreenSaver();
    SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
}

// Turns the outer size asked for into a client size, once the window manager has put
// its frame around the window; the frame's corner goes to the asked position.
void fitOuterSize(SDL_Window* window, int x, int y, int width, int height) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) return;
    if (top + left + bottom + right == 0) return;
    int clientWidth = width - left - right;
    int clientHeight = height - top - bottom;
    if (clientWidth < 1 || clientHeight < 1) return;
    SDL_SetWindowSize(window, clientWidth, clientHeight);
    SDL_SetWindowPosition(window, x + left, y + top);
}

}  // namespace

namespace win32::internal {

std::deque<WindowRecord>& windows() {
    static auto* table = new std::deque<WindowRecord>;
    return *table;
}

WindowRecord* windowBySdlId(std::uint32_t id) {
    for (auto& w : windows())
        if (w.sdlWindowId == id) return &w;
    return nullptr;
}

WindowRecord* windowByHandle(HWND window) {
    if (!window) return nullptr;
    for (auto& w : windows())
        if (w.handle == window) return &w;
    return nullptr;
}

bool startVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    return win32::startVideo();
}

}  // namespace win32::internal

bool win32::startVideo() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display && !SDL_GetHint(SDL_HINT_VIDEODRIVER)) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        if (started) return true;
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

namespace win32 {

bool screenSaverAllowed() { return !gScreenSaverRefused && !gMonitorPowerRefused; }

WNDPROC windowProcOf(HWND window) {
    auto* record = internal::windowByHandle(window);
    return record && !record->destroyed ? record->procedure : nullptr;
}

}  // namespace win32

HICON LoadIconA(HINSTANCE, LPCSTR name) { return reinterpret_cast<HICON>(const_cast<char*>(name)); }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) { return reinterpret_cast<HCURSOR>(const_cast<char*>(name)); }

HGDIOBJ GetStockObject(int object) {
    static int stock[32];
    if (object < 0 || object >= 32) return nullptr;
    return &stock[object];
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    static int self;
    if (moduleName) return nullptr;
    return reinterpret_cast<HMODULE>(&self);
}

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    if (windowClass->cbSize != kWndClassExASize32 && windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
    if (windowClass->lpszClassName[0] == '\0' || findClass(windowClass->lpszClassName)) return 0;
    classes().push_back({windowClass->lpszClassName, *windowClass});
    classes().back().record.lpszClassName = classes().back().name.c_str();
    return static_cast<ATOM>(0xC000 + classes().size() - 1);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto& table = classes();
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (className && strcasecmp(it->name.c_str(), className) == 0) {
            table.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    ClassRecord* windowClass = findClass(className);
    if (!windowClass || width <= 0 || height <= 0) return nullptr;
    if (!win32::internal::startVideo()) return nullptr;

    const bool popup = (style & WS_POPUP) && !(style & WS_CAPTION);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (popup) flags |= SDL_WINDOW_FULLSCREEN;
    SDL_Window* window = SDL_CreateWindow(windowName ? windowName : "", popup ? 0 : x, popup ? 0 : y,
                                          width, height, flags);
    if (!window) return nullptr;

    if (popup) {
        // Full screen at the display mode nearest to the asked size.
        SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, width, height, 0, nullptr};
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(window), &wanted, &closest))
            SDL_SetWindowDisplayMode(window, &closest);
    }
    if (style & WS_VISIBLE) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
        if (!popup) fitOuterSize(window, x, y, width, height);
    }

    HWND handle = win32::windowHandleOf(window);
    win32::internal::windows().push_back({handle, SDL_GetWindowID(window), windowClass->record.lpfnWndProc, false});
    askAboutScreenSaver(handle);
    return handle;
}

BOOL DestroyWindow(HWND window) {
    auto* record = win32::internal::windowByHandle(window);
    if (!record || record->destroyed) return FALSE;
    SDL_HideWindow(win32::sdlWindowOf(window));
    SendMessageA(window, WM_DESTROY, 0, 0);
    record->destroyed = true;
    return TRUE;
}

BOOL IsWindow(HWND window) {
    auto* record = win32::internal::windowByHandle(window);
    return record && !record->destroyed;
}

int ShowCursor(BOOL show) {
    gCursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE) {
            gScreenSaverRefused = false;
            applyScreenSaver();
        } else if (wParam == SC_MONITORPOWER) {
            gMonitorPowerRefused = false;
            applyScreenSaver();
        } else if (wParam == SC_CLOSE) {
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* record = win32::internal::windowByHandle(window);
    if (!record || !record->procedure) return 0;
    // WM_DESTROY is sent while the window is being destroyed; nothing after that.
    if (record->destroyed) return 0;
    return record->procedure(window, message, wParam, lParam);
}
