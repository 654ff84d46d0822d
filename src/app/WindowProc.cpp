#include "app/AppWindow.h"
#include "platform/win32/keys.h"

LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (GetAsyncKeyState(VK_ESCAPE) != 0) {
            PostQuitMessage(0);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // No screen saver and no monitor power-down while the show runs.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
