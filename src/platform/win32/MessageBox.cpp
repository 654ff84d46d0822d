// Message boxes: always a line on standard error, a real box only in interactive runs.
#include "platform/win32/messagebox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex gBoxMutex;
unsigned gBoxCount = 0;
win32::MessageBoxRecord gLastBox{};
// -1: decided by the environment; 0 or 1: forced.
int gInteractiveOverride = -1;

bool envSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

bool interactive() {
    if (gInteractiveOverride >= 0) return gInteractiveOverride == 1;
    if (envSet("GLIMMERHOP_NONINTERACTIVE") || envSet("CI")) return false;
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || envSet("DISPLAY") || envSet("WAYLAND_DISPLAY");
}

Uint32 sdlFlags(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
    }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    (void)owner;  // boxes are always shown without an owner window
    // Windows shows "Error" as the title when none is given.
    const char* shownCaption = caption ? caption : "Error";
    const char* shownText = text ? text : "";
    bool show = false;
    {
        std::lock_guard<std::mutex> lock(gBoxMutex);
        ++gBoxCount;
        std::snprintf(gLastBox.caption, sizeof gLastBox.caption, "%s", shownCaption);
        std::snprintf(gLastBox.text, sizeof gLastBox.text, "%s", shownText);
        gLastBox.type = type;
        show = interactive();
    }
    std::fprintf(stderr, "[%s] %s\n", shownCaption, shownText);
    std::fflush(stderr);
    if (show) SDL_ShowSimpleMessageBox(sdlFlags(type), shownCaption, shownText, nullptr);
    return IDOK;
}

namespace win32 {

unsigned messageBoxCount() {
    std::lock_guard<std::mutex> lock(gBoxMutex);
    return gBoxCount;
}

const MessageBoxRecord& lastMessageBox() { return gLastBox; }

void resetMessageBoxes() {
    std::lock_guard<std::mutex> lock(gBoxMutex);
    gBoxCount = 0;
    gLastBox = MessageBoxRecord{};
}

void setMessageBoxesInteractive(bool interactive) {
    std::lock_guard<std::mutex> lock(gBoxMutex);
    gInteractiveOverride = interactive ? 1 : 0;
}

}  // namespace win32
