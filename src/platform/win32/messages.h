// The thread's message queue. SDL's events become window messages when the queue is
// looked at (PeekMessageA): key presses and releases are posted as WM_KEYDOWN/WM_KEYUP
// and noted in the asynchronous key state at that moment, whatever is later done with
// the messages; closing a window from its title bar sends it WM_CLOSE, whose default
// handling destroys the window (WM_DESTROY). SDL's quit request (the last window closed,
// or an interrupt signal) closes every live window the same way.
//
// As on Windows, messages a window is sent (WM_CLOSE, WM_DESTROY, WM_SYSCOMMAND) reach
// its procedure at once, while posted ones wait in the queue until dispatched, and the
// quit request of PostQuitMessage is handed out only when no posted message is left.
#pragma once

#include "platform/win32/win32types.h"

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Looks for a message for `window` (null: any) within [filterMin, filterMax] (both 0:
// any), after turning pending SDL events into messages. Never waits.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Posts WM_CHAR for a key-down of a key that types a character.
BOOL TranslateMessage(const MSG* message);
// Calls the procedure of the message's window; thread messages (no window) go nowhere.
LRESULT DispatchMessageA(const MSG* message);

namespace win32 {
// Posted messages waiting, the quit request not counted. For tests.
unsigned pendingMessageCount();
// Empties the queue and forgets a quit request. For tests.
void clearMessageQueue();
// The virtual-key code of an SDL key (keycode first, then the key's position for the
// letters), or 0 when the program has no use for the key.
int virtualKeyOf(int sdlKeycode, int sdlScancode);
}  // namespace win32
