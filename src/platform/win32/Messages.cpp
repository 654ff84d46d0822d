#include "platform/win32/messages.h"

#include <SDL.h>

#include <deque>

#include "platform/win32/keys.h"
#include "platform/win32/window.h"
#include "platform/win32/windowtable.h"

namespace {

// Windows refuses to post past its own limit; a stalled program cannot grow the queue
// without end either.
constexpr std::size_t kQueueLimit = 4096;

// Never freed, like the window tables: windows may be torn down at process exit.
std::deque<MSG>& gQueue = *new std::deque<MSG>;
bool gQuitPosted = false;
int gQuitCode = 0;

DWORD tickCount() {
    return SDL_WasInit(SDL_INIT_TIMER | SDL_INIT_VIDEO) ? static_cast<DWORD>(SDL_GetTicks()) : 0;
}

bool matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
    if (window && m.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

HWND handleOfSdlWindow(Uint32 windowId) {
    auto* record = win32::internal::windowBySdlId(windowId);
    return record && !record->destroyed ? record->handle : nullptr;
}

// lParam of a key message as Windows packs it: repeat count, scan code, previous state
// (bit 30) and transition (bit 31).
LPARAM keyLParam(const SDL_KeyboardEvent& key, bool up) {
    LPARAM value = 1 | (static_cast<LPARAM>(key.keysym.scancode & 0xFF) << 16);
    if (up || key.repeat) value |= LPARAM(1) << 30;
    if (up) value |= LPARAM(1) << 31;
    return value;
}

void closeEveryWindow() {
    bool any = false;
    // Sending may destroy windows; the table itself never shrinks.
    auto& table = win32::internal::windows();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].destroyed) continue;
        any = true;
        SendMessageA(table[i].handle, WM_CLOSE, 0, 0);
    }
    if (!any) PostQuitMessage(0);
}

void translateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool up = event.type == SDL_KEYUP;
        int vk = win32::virtualKeyOf(event.key.keysym.sym, event.key.keysym.scancode);
        if (vk == 0) return;
        if (up)
            win32::noteKeyUp(vk);
        else
            win32::noteKeyDown(vk);
        if (HWND window = handleOfSdlWindow(event.key.windowID))
            PostMessageA(window, up ? WM_KEYUP : WM_KEYDOWN, static_cast<WPARAM>(vk), keyLParam(event.key, up));
        return;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            if (HWND window = handleOfSdlWindow(event.window.windowID)) SendMessageA(window, WM_CLOSE, 0, 0);
        }
        return;
    case SDL_QUIT:
        closeEveryWindow();
        return;
    default:
        return;
    }
}

void pumpSdlEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) translateEvent(event);
}

}  // namespace

namespace win32 {

int virtualKeyOf(int sdlKeycode, int sdlScancode) {
    if (sdlKeycode == SDLK_ESCAPE) return VK_ESCAPE;
    if (sdlKeycode == SDLK_RETURN || sdlKeycode == SDLK_KP_ENTER) return VK_RETURN;
    if (sdlKeycode == SDLK_SPACE) return 0x20;
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return 'A' + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return '0' + (sdlKeycode - SDLK_0);
    // Layouts without Latin letters: the key at a letter's place stands for it.
    if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) return 'A' + (sdlScancode - SDL_SCANCODE_A);
    return 0;
}

unsigned pendingMessageCount() { return static_cast<unsigned>(gQueue.size()); }

void clearMessageQueue() {
    gQueue.clear();
    gQuitPosted = false;
    gQuitCode = 0;
}

}  // namespace win32

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) return FALSE;
    pumpSdlEvents();
    for (auto it = gQueue.begin(); it != gQueue.end(); ++it) {
        if (!matches(*it, window, filterMin, filterMax)) continue;
        *message = *it;
        if (removeFlags & PM_REMOVE) gQueue.erase(it);
        return TRUE;
    }
    if (gQuitPosted && ((filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(gQuitCode), 0, tickCount(), {0, 0}};
        if (removeFlags & PM_REMOVE) gQuitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gQueue.size() >= kQueueLimit) return FALSE;
    gQueue.push_back(MSG{window, message, wParam, lParam, tickCount(), {0, 0}});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    gQuitPosted = true;
    gQuitCode = exitCode;
}

BOOL TranslateMessage(const MSG* message) {
    if (!message || message->message != WM_KEYDOWN) return FALSE;
    WPARAM vk = message->wParam;
    WPARAM character = 0;
    if (vk >= 'A' && vk <= 'Z') {
        const bool shift = SDL_WasInit(SDL_INIT_VIDEO) && (SDL_GetModState() & (KMOD_SHIFT | KMOD_CAPS));
        character = shift ? vk : vk - 'A' + 'a';
    } else if ((vk >= '0' && vk <= '9') || vk == 0x20 || vk == VK_RETURN || vk == VK_ESCAPE) {
        character = vk;
    }
    if (!character) return FALSE;
    return PostMessageA(message->hwnd, WM_CHAR, character, message->lParam);
}

LRESULT DispatchMessageA(const MSG* message) {
    if (!message || !message->hwnd) return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}
