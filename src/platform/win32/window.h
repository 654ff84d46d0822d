// Window classes and top-level windows over SDL2. A window is always an OpenGL-capable
// SDL window (the Direct3D stand-in draws into it), and its handle is the SDL window
// itself (hwnd.h).
//
// Sizes: CreateWindowExA takes the outer size, as Windows does. A pop-up window
// (WS_POPUP without WS_CAPTION) becomes a full-screen SDL window at that size; a
// captioned window is created at the given size and then, when the window manager
// reports its decorations, shrunk by them so that frame and client together have the
// asked size. Without a window manager (Xvfb) there are no decorations and the client
// area is the whole size.
#pragma once

#include "platform/win32/win32types.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};
// The record's size in the 32-bit Windows layout, which is what programs put in cbSize.
constexpr UINT kWndClassExASize32 = 48;

using ATOM = WORD;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Stock resources. Icons and cursors are the system's own: their handles are the
// resource numbers, which is all the stand-in needs.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
constexpr int BLACK_BRUSH = 4;
using HGDIOBJ = void*;

HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);
// The program's own module: a null handle stands for it everywhere.
HMODULE GetModuleHandleA(LPCSTR moduleName);

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Hides the window and sends it WM_DESTROY. The SDL window itself lives on until the
// process ends, since a device may still draw into it.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// Returns the new display count, as Windows does; the cursor is hidden below 0.
int ShowCursor(BOOL show);

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure of the window's class; 0 for an unknown window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace win32 {
// Whether the screen saver and the monitor power-down may run: false from the moment a
// window procedure refused SC_SCREENSAVE or SC_MONITORPOWER (see messages.h).
bool screenSaverAllowed();
// The window procedure of a live window, or null.
WNDPROC windowProcOf(HWND window);
}  // namespace win32
